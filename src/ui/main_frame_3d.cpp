// The main frame's 3D pane, kept apart from the 2D panes: the two widgets' headers declare
// cursor names of the same spelling. The pane's view gets the tool that edits through it.
#include "editor/3d_view_tool.h"
#include "render/view/3d_view.h"
#include "ui/3d_view_widget.h"
#include "ui/main_frame.h"

QWidget *CZNMainFrame::Create3DPane()
{
    m_3DTool = std::make_unique<CZN3DViewTool>();
    m_3DView->SetInput(m_3DTool.get());
    return new CZN3DViewWidget(m_3DView.get());
}
