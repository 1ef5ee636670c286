#include "ui/overlays_page.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

#include "app/editor_app.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "scene/overlay.h"
#include "ui/num_spin_ctrl.h"
#include "ui/page_undo_step.h"

namespace
{
constexpr int kContentHeight = 200;
constexpr double kMaxZBias = 255.0;

CZNOverlay *ActiveOverlay()
{
    return GetEditorApp()->GetSelectionBand()->GetActiveOverlay();
}
} // namespace

CZNOverlaysPage::CZNOverlaysPage(QWidget *parent) : CZNOptionsPage(QStringLiteral("Overlays"), kContentHeight, parent)
{
    QWidget *content = GetContent();
    const int width = 146;
    // The page's controls in an 8-point font, as the page's dialog template has them.
    QFont font = content->font();
    font.setPointSize(8);
    content->setFont(font);

    auto *surfaces = new QGroupBox(QStringLiteral("Surfaces"), content);
    surfaces->setGeometry(4, 4, width, 90);
    m_Locked = new QCheckBox(QStringLiteral("Locked"), surfaces);
    m_Locked->setGeometry(8, 18, width - 16, 16);
    m_Build = new QPushButton(QStringLiteral("Build Surfaces"), surfaces);
    m_Build->setGeometry(8, 38, width - 16, 22);
    m_Destroy = new QPushButton(QStringLiteral("Destroy Sufaces"), surfaces);
    m_Destroy->setGeometry(8, 63, width - 16, 22);

    auto *rendering = new QGroupBox(QStringLiteral("Rendering"), content);
    rendering->setGeometry(4, 98, width, 44);
    auto *label = new QLabel(QStringLiteral("Z Bias"), rendering);
    label->setGeometry(8, 21, 60, 14);
    m_ZBias = new CZNNumSpinCtrl(rendering);
    m_ZBias->setObjectName(QStringLiteral("ZBias"));
    m_ZBias->setGeometry(68, 18, width - 76, 20);

    connect(m_Locked, &QCheckBox::clicked, this, &CZNOverlaysPage::OnLocked);
    connect(m_Build, &QPushButton::clicked, this, &CZNOverlaysPage::OnBuildSurfaces);
    connect(m_Destroy, &QPushButton::clicked, this, &CZNOverlaysPage::OnDestroySurfaces);
    connect(m_ZBias->GetBuddy(), &QLineEdit::textChanged, this, &CZNOverlaysPage::OnZBiasChanged);
}

bool CZNOverlaysPage::eventFilter(QObject *watched, QEvent *event)
{
    // The page base runs an enabled Undo first; an Undo or Redo left over is one the editor has
    // nothing for, and the edit's own undo must not take it.
    if (CZNOptionsPage::eventFilter(watched, event))
        return true;
    if (m_ZBias && watched == m_ZBias->GetBuddy() &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            event->accept();
            return true;
        }
    }
    return false;
}

void CZNOverlaysPage::OnInitDialog()
{
    SetEditsEnabled(false);
    m_ZBias->SetPrecision(0);
    m_ZBias->SetRange(0.0, kMaxZBias, 1.0);
    UpdateFromOverlay(ActiveOverlay());
    SetEditsEnabled(true);
}

void CZNOverlaysPage::OnSetActive()
{
    CZNOptionsPage::OnSetActive();
    RefreshFromSelection();
}

void CZNOverlaysPage::RefreshFromSelection()
{
    SetEditsEnabled(false);
    UpdateFromOverlay(ActiveOverlay());
    SetEditsEnabled(true);
}

void CZNOverlaysPage::UpdateFromOverlay(const CZNOverlay *overlay)
{
    if (!overlay)
        return;
    const bool locked = overlay->GetAutoRebuildFlag() == 0;
    m_Locked->setChecked(locked);
    EnableSurfaceButtons(locked);
    m_Locked->update();
    m_ZBias->SetValue(overlay->GetFaceFlag());
}

void CZNOverlaysPage::EnableSurfaceButtons(bool enable)
{
    m_Build->setEnabled(enable);
    m_Destroy->setEnabled(enable);
}

BYTE CZNOverlaysPage::ZBias() const
{
    // The z-bias is a byte: a typed value beyond it is held at the nearer bound rather than
    // wrapped into its low 8 bits (300 would otherwise be 44).
    const double value = m_ZBias->GetValue();
    if (!(value > 0.0))
        return 0;
    if (value >= kMaxZBias)
        return static_cast<BYTE>(kMaxZBias);
    return static_cast<BYTE>(std::trunc(value));
}

void CZNOverlaysPage::OnLocked()
{
    const bool locked = m_Locked->isChecked();
    EnableSurfaceButtons(locked);
    if (!AreEditsEnabled())
        return;
    ZnPageUndoStep(ZNUNDO_OVERLAYLOCKED, "Modify Locked State",
                   [locked](CZNSelectionBand *band) { band->SetOverlayLocked(locked ? 0 : 1); });
}

void CZNOverlaysPage::OnZBiasChanged()
{
    if (!AreEditsEnabled())
        return;
    const BYTE bias = ZBias();
    ZnPageUndoStep(ZNUNDO_ZBIAS, "Modify Z-Bias", [bias](CZNSelectionBand *band) { band->SetOverlayZBias(bias); });
}

void CZNOverlaysPage::OnBuildSurfaces()
{
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    band->RebuildSurfaces(1);
    // The new faces take the shown z-bias; that change writes no undo level of its own.
    band->SetOverlayZBias(ZBias());
}

void CZNOverlaysPage::OnDestroySurfaces()
{
    GetEditorApp()->GetSelectionBand()->RebuildSurfaces(0);
}
