#include "ui/general_page.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>

#include "app/editor_app.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/overlay.h"
#include "ui/page_undo_step.h"

namespace
{
constexpr int kContentHeight = 150;
constexpr DWORD kEntityHidden = 0x1;

// A group box of the page holding its check boxes, one row each.
QGroupBox *Group(QWidget *parent, const char *title, int y, int rows)
{
    auto *group = new QGroupBox(QString::fromLatin1(title), parent);
    group->setGeometry(4, y, 146, 22 + 18 * rows);
    return group;
}

QCheckBox *Box(QGroupBox *group, const char *text, int row)
{
    auto *box = new QCheckBox(QString::fromLatin1(text), group);
    box->setGeometry(6, 18 + 18 * row, 138, 16);
    return box;
}
} // namespace

CZNGeneralPage::CZNGeneralPage(QWidget *parent) : CZNOptionsPage(QStringLiteral("General"), kContentHeight, parent)
{
    QWidget *content = GetContent();
    // The page's controls in an 8-point font, as the page's dialog template has them.
    QFont font = content->font();
    font.setPointSize(8);
    content->setFont(font);

    QGroupBox *selection = Group(content, "Selection && Placement", 4, 1);
    m_IgnoreBackFaces = Box(selection, "Ignore Back Faces", 0);
    QGroupBox *csg = Group(content, "CSG Options", 48, 1);
    m_BrushSplitting = Box(csg, "Allow Brush Splitting", 0);
    QGroupBox *properties = Group(content, "Object Properties", 92, 2);
    m_Detail = Box(properties, "Detail Brush", 0);
    m_Hidden = Box(properties, "Hidden", 1);

    connect(m_IgnoreBackFaces, &QCheckBox::clicked, this, &CZNGeneralPage::OnIgnoreBackFaces);
    connect(m_BrushSplitting, &QCheckBox::clicked, this, &CZNGeneralPage::OnBrushSplitting);
    connect(m_Detail, &QCheckBox::clicked, this, &CZNGeneralPage::OnDetail);
    connect(m_Hidden, &QCheckBox::clicked, this, &CZNGeneralPage::OnHidden);
}

void CZNGeneralPage::OnInitDialog()
{
    m_BrushSplitting->setChecked(GetEditorApp()->Options().m_CarveMode != 0);
}

void CZNGeneralPage::OnSetActive()
{
    CZNOptionsPage::OnSetActive();
    RefreshFromSelection();
}

void CZNGeneralPage::RefreshFromSelection()
{
    SetEditsEnabled(false);
    UpdateFromSelection();
    SetEditsEnabled(true);
}

void CZNGeneralPage::UpdateFromSelection()
{
    CZNEDITORApp *app = GetEditorApp();
    m_BrushSplitting->setChecked(app->Options().m_CarveMode != 0);
    CZNSelectionBand *band = app->GetSelectionBand();
    const ZNBRUSH *brush = band->GetFirstBrush();
    const CZNEntity *entity = band->GetFirstEntity();
    const CZNOverlay *overlay = band->GetFirstOverlay();

    m_Detail->setEnabled(brush != nullptr);
    m_Detail->setChecked(brush && (brush->m_Flags & ZNBRUSH_DETAIL) != 0);
    const bool any = brush || entity || overlay;
    m_Hidden->setEnabled(any);
    if (brush)
        m_Hidden->setChecked((brush->m_Flags & ZNBRUSH_HIDDEN) != 0);
    else if (overlay)
        m_Hidden->setChecked((overlay->m_Flags & ZNOVERLAY_HIDDEN) != 0);
    else
        m_Hidden->setChecked(entity && (entity->m_Flags & kEntityHidden) != 0);
    m_Detail->update();
    m_Hidden->update();
}

void CZNGeneralPage::OnIgnoreBackFaces()
{
    // Not tied to the edits flag: the box is never filled from code.
    GetEditorApp()->Options().m_PlaceOnSurfaces = m_IgnoreBackFaces->isChecked() ? 1 : 0;
}

void CZNGeneralPage::OnBrushSplitting()
{
    if (AreEditsEnabled())
        GetEditorApp()->Options().m_CarveMode = m_BrushSplitting->isChecked() ? 1 : 0;
}

void CZNGeneralPage::OnDetail()
{
    if (!AreEditsEnabled())
        return;
    const DWORD detail = m_Detail->isChecked() ? DWORD(ZNBRUSH_DETAIL) : 0;
    ZnPageUndoStep(ZNUNDO_FLAGS, "Modify Brush Type",
                   [detail](CZNSelectionBand *band) { band->SetBrushProperty(detail, ZNBRUSH_DETAIL); });
}

void CZNGeneralPage::OnHidden()
{
    if (!AreEditsEnabled())
        return;
    const bool hidden = m_Hidden->isChecked();
    // The level's commit redraws every view.
    ZnPageUndoStep(ZNUNDO_FLAGS, "Hide / Unhide Object(s)", [hidden](CZNSelectionBand *band) {
        band->SetBrushProperty(hidden ? DWORD(ZNBRUSH_HIDDEN) : 0, ZNBRUSH_HIDDEN);
        band->SetOverlayProperty(hidden ? DWORD(ZNOVERLAY_HIDDEN) : 0, ZNOVERLAY_HIDDEN);
        band->SetEntityProperty(hidden ? kEntityHidden : 0, kEntityHidden);
    });
}
