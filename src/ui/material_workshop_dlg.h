#pragma once

// CZNMaterialWorkshopDlg: the modal "Tovra Material Workshop". It edits, in place and live, the
// material record on face 0 of the material-preview sphere: its name, the four colours and
// alphas and the power of its Direct3D material, the three colours of its preview light, its
// preview rotation and its preview texture; and it gives every face of that material the current
// texture ("&Replace Texture", no undo) or selects those faces ("&Select Faces"). Nothing here
// writes an undo record and nothing is taken back: OK, Escape and the close box all check that
// the name is unique (an error box otherwise, and the dialog stays open), put back the texture
// manager's current texture of the opening and the 3D view's brush draw option (0 while open),
// and end accepted. Without a material record the dialog does not run. The colour dialog is a
// non-native QColorDialog unless replaced (tests answer it).
#include <QDialog>

#include <functional>

#include "platform/os/win_types.h"

class CZNColorSwatch;
class CZNMainFrame;
class CZNMATERIAL;
class CZNMaterialPreviewWnd;
class CZNNumSpinCtrl;
class CZNTexture;
class CZNTextureComboBox;
class CZNTexturePreviewWnd;
class QLineEdit;
class QPushButton;
class QToolButton;

class CZNMaterialWorkshopDlg : public QDialog
{
    Q_OBJECT

public:
    // The colours the dialog edits, in the order of its swatches and buttons.
    enum ZNWORKSHOPCOLOR {
        COLOR_DIFFUSE,
        COLOR_AMBIENT,
        COLOR_EMISSIVE,
        COLOR_SPECULAR,
        LIGHT_DIFFUSE,
        LIGHT_AMBIENT,
        LIGHT_SPECULAR,
        COLOR_COUNT
    };
    // The alpha spins, in the order of the material's colours above.
    static constexpr int kAlphaCount = 4;
    static constexpr int kNameLength = 25;

    // Asks for a colour starting from *colour; true with *colour set when one was chosen, false
    // (colour untouched) when cancelled.
    using ColorAsker = std::function<bool(QWidget *parent, COLORREF *colour)>;
    // Replaces the colour dialog of every workshop; an empty asker brings the QColorDialog back.
    static void SetColorAsker(ColorAsker asker);

    // frame (may be null) is the window the dialog stands on and whose 3D view it drives.
    explicit CZNMaterialWorkshopDlg(CZNMainFrame *frame);
    ~CZNMaterialWorkshopDlg() override;

    // The record on face 0 of the material-preview sphere; null when it names none.
    static CZNMATERIAL *GetEditedMaterial();
    // Runs the dialog modally; false, without showing anything, when there is no record to edit.
    bool Run();

    QLineEdit *GetNameEdit() const { return m_Name; }
    CZNColorSwatch *GetSwatch(int colour) const { return m_Swatches[colour]; }
    QToolButton *GetColorButton(int colour) const { return m_ColorButtons[colour]; }
    CZNNumSpinCtrl *GetAlphaSpin(int colour) const { return m_Alphas[colour]; }
    CZNNumSpinCtrl *GetPowerSpin() const { return m_Power; }
    CZNNumSpinCtrl *GetRotationSpin() const { return m_Rotation; }
    CZNTextureComboBox *GetTextureList() const { return m_Textures; }
    CZNTexturePreviewWnd *GetTexturePreview() const { return m_TexturePreview; }
    CZNMaterialPreviewWnd *GetPreview() const { return m_Preview; }
    QPushButton *GetClearTextureButton() const { return m_ClearTexture; }
    QPushButton *GetReplaceTextureButton() const { return m_ReplaceTexture; }
    QPushButton *GetSelectFacesButton() const { return m_SelectFaces; }
    QPushButton *GetOKButton() const { return m_OK; }

    // Escape and the close box: the same as OK.
    void reject() override;

private:
    void OnInitDialog();
    void OnOK();
    void OnColorButton(int colour);
    void OnAlphaChanged(int colour);
    void OnPowerChanged();
    void OnRotationChanged();
    void OnNameChanged();
    void OnSelectTexture(int row);
    void OnTextureTyped(const QString &text);
    void OnClearTexture();
    void OnReplaceTexture();
    void OnSelectFaces();
    // The edited material changed: the preview repaints, and the 3D view when asked.
    void MaterialChanged(bool redraw3D);
    void Redraw3DView();
    // Makes the texture current, the material's and the sphere's, and repaints both previews.
    void UseTexture(CZNTexture *texture);

    CZNMainFrame *m_Frame;
    CZNMATERIAL *m_Material = nullptr;
    LONG m_MaterialIndex = -1;
    CZNTexture *m_SavedTexture = nullptr;
    // Set while the dialog fills its own controls: their change signals edit nothing.
    bool m_Filling = false;

    QLineEdit *m_Name;
    CZNColorSwatch *m_Swatches[COLOR_COUNT];
    QToolButton *m_ColorButtons[COLOR_COUNT];
    CZNNumSpinCtrl *m_Alphas[kAlphaCount];
    CZNNumSpinCtrl *m_Power;
    CZNNumSpinCtrl *m_Rotation;
    CZNTextureComboBox *m_Textures;
    CZNTexturePreviewWnd *m_TexturePreview;
    QPushButton *m_ClearTexture;
    QPushButton *m_ReplaceTexture;
    QPushButton *m_SelectFaces;
    CZNMaterialPreviewWnd *m_Preview;
    QPushButton *m_OK;
};
