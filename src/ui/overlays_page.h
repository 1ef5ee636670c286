#pragma once

// CZNOverlaysPage: the options panel's Overlays page. It shows the active overlay (the first
// selected one, else the application's default overlay, the template of new overlays): "Locked"
// (the opposite of the overlay's automatic rebuild), with "Build Surfaces" and "Destroy Sufaces"
// enabled only while locked, and the z-bias in a numeric spin of 0 decimals over 0 to 255.
// "Locked" and the z-bias are each one undo level of the selection ("Modify Locked State",
// "Modify Z-Bias"); with an empty band they change the default overlay and write no level. A
// z-bias typed outside 0 to 255 is stored clamped and its text stays as typed until the next
// refresh; Ctrl+Z in it is the editor's Undo. Changes the page makes itself while filling its controls (edits disabled)
// write nothing.
#include "platform/os/win_types.h"
#include "ui/options_page.h"

class CZNNumSpinCtrl;
class CZNOverlay;
class QCheckBox;
class QPushButton;

class CZNOverlaysPage : public CZNOptionsPage
{
    Q_OBJECT

public:
    explicit CZNOverlaysPage(QWidget *parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    // Edits off, the controls from the active overlay, edits on.
    void RefreshFromSelection() override;

    // "Locked", the two buttons and the z-bias from the overlay.
    void UpdateFromOverlay(const CZNOverlay *overlay);

    QCheckBox *GetLockedBox() const { return m_Locked; }
    QPushButton *GetBuildButton() const { return m_Build; }
    QPushButton *GetDestroyButton() const { return m_Destroy; }
    CZNNumSpinCtrl *GetZBiasSpin() const { return m_ZBias; }

protected:
    // The z-bias edit has no undo of its own: Ctrl+Z there is the editor's Undo, which the page
    // base's filter runs when it is enabled; otherwise the key does nothing.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnLocked();
    void OnZBiasChanged();
    void OnBuildSurfaces();
    void OnDestroySurfaces();
    void EnableSurfaceButtons(bool enable);
    // The spin's value as a z-bias: truncated and clamped to 0 to 255.
    BYTE ZBias() const;

    QCheckBox *m_Locked = nullptr;
    QPushButton *m_Build = nullptr;
    QPushButton *m_Destroy = nullptr;
    CZNNumSpinCtrl *m_ZBias = nullptr;
};
