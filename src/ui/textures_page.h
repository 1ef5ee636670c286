#pragma once

// CZNTexturesPage: the options panel's Textures page. It chooses the texture manager's current
// texture from the owner-drawn list (a click or a typed prefix; nothing reaches the scene), applies
// it to or removes it from the selected faces, and shows and edits the mapping of the first
// selected face: mapping mode and planar type, offsets, scales, rotation (by axis in the
// spherical and cylindrical modes, else w), the mapping origin and, in vertex edit mode, the
// texture coordinates of the selected vertices. Each value change is one undo step and a
// selection-wide setter; the page's own filling (edits disabled) writes nothing. The list is
// filled once, at the first activation; its highlighted row follows the current texture at each
// activation and refresh.
#include "ui/options_page.h"

class CZNNumSpinCtrl;
class CZNTextureComboBox;
class CZNTexturePreviewWnd;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class ZNFACE;

class CZNTexturesPage : public CZNOptionsPage
{
    Q_OBJECT

public:
    // The seven value spins.
    enum ZNSPIN : int {
        SPIN_UOFFSET = 0,
        SPIN_VOFFSET,
        SPIN_USCALE,
        SPIN_VSCALE,
        SPIN_ROTATION,
        SPIN_UPOS,
        SPIN_VPOS,
        SPIN_COUNT
    };

    explicit CZNTexturesPage(QWidget *parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    // Edits off, the controls from the first selected face, edits on; the list's highlight
    // follows the current texture and the preview is repainted.
    void RefreshFromSelection() override;

    void UpdateFromFace(ZNFACE *face);
    void EnableEdits(int enable) { SetEditsEnabled(enable != 0); }

    CZNTextureComboBox *GetTextureList() const { return m_Textures; }
    CZNTexturePreviewWnd *GetPreview() const { return m_Preview; }
    CZNNumSpinCtrl *GetSpin(ZNSPIN spin) const { return m_Spins[spin]; }
    QComboBox *GetMappingCombo() const { return m_Mapping; }
    // 0 XY, 1 XZ, 2 YZ.
    QRadioButton *GetPlanarButton(int i) const { return m_Planar[i]; }
    // 0 X, 1 Y, 2 Z.
    QRadioButton *GetAxisButton(int i) const { return m_Axis[i]; }
    QPushButton *GetApplyButton() const { return m_Apply; }
    QPushButton *GetRemoveButton() const { return m_Remove; }
    QPushButton *GetSetOriginButton() const { return m_SetOrigin; }
    QPushButton *GetResetOriginButton() const { return m_ResetOrigin; }
    QGroupBox *GetManualGroup() const { return m_Manual; }

private:
    void OnValueChanged(int spin);
    void OnMappingMode(int item);
    void OnPlanarClicked();
    void OnAxisClicked();
    void OnSelectTexture(int row);
    void OnTextureTyped(const QString &text);
    // The rotation spin shows value with edits off.
    void ShowRotation(float value);
    // The checked axis button: 0 X, 1 Y, 2 Z, -1 none.
    int CheckedAxis() const;
    // The rotation component of the checked axis; keeps the spin's value with no axis checked.
    void ShowAxisRotation(const ZNFACE *face);
    void EnablePlanar(bool enable);
    void EnableAxes(bool enable);
    void EnableOrigin(bool enable);

    CZNNumSpinCtrl *m_Spins[SPIN_COUNT];
    CZNTexturePreviewWnd *m_Preview;
    CZNTextureComboBox *m_Textures;
    QPushButton *m_Apply;
    QPushButton *m_Remove;
    QComboBox *m_Mapping;
    QRadioButton *m_Planar[3];
    QRadioButton *m_Axis[3];
    QButtonGroup *m_PlanarGroup;
    QButtonGroup *m_AxisGroup;
    QGroupBox *m_Manual;
    QLabel *m_ManualLabels[2];
    QPushButton *m_SetOrigin;
    QPushButton *m_ResetOrigin;
};
