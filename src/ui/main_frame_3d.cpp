// The main frame's 3D pane, kept apart from the 2D panes: the two widgets' headers declare
// cursor names of the same spelling.
#include "render/view/3d_view.h"
#include "ui/3d_view_widget.h"
#include "ui/main_frame.h"

QWidget *CZNMainFrame::Create3DPane()
{
    return new CZN3DViewWidget(m_3DView.get());
}
