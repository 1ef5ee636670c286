#pragma once

// CZNFacesPage: the options panel's Faces page. It shows the style bits, the alpha blending and
// the material of the first selected face, and turns each change of its controls into one undo
// step and a selection-wide setter on every selected face: "Modify Face Style" (5 style boxes),
// "Modify Alpha Modes" (blend check box and combos), "Set Material" (the material list, which
// also gives the material-preview sphere that material). Changes the page makes itself while
// filling its controls (edits disabled) write nothing. The material list shows the wrapper's
// material list; it is refilled at initialisation and when the document asks
// (RefreshMaterialList), and before the page's first activation that does nothing. " Material
// Settings" opens the material workshop on the sphere's material, and is disabled while the
// sphere names no material record; "Create New Material" adds a material, gives it to the
// selected faces in one undo step "Set Material" and opens the workshop on it.
#include "platform/os/win_types.h"
#include "ui/options_page.h"

class CZNFacesPreviewWnd;
class CZNMaterialComboBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class ZNFACE;

class CZNFacesPage : public CZNOptionsPage
{
    Q_OBJECT

public:
    explicit CZNFacesPage(QWidget *parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    // Edits off, the controls from the first selected face, edits on, the preview repainted.
    void RefreshFromSelection() override;

    // Fills every control from the face, or from the defaults without one.
    void UpdateFromFace(ZNFACE *face);
    void EnableEdits(int enable) { SetEditsEnabled(enable != 0); }
    // The material list again from the wrapper's material list, the sphere's material selected;
    // a sphere whose material no longer exists is given material 0.
    void RefreshMaterialList();

    CZNMaterialComboBox *GetMaterialList() const { return m_Materials; }
    CZNFacesPreviewWnd *GetPreview() const { return m_Preview; }
    QCheckBox *GetStyleBox(DWORD bit) const;
    QCheckBox *GetAlphaBlendBox() const { return m_AlphaBlend; }
    QComboBox *GetSourceBlend() const { return m_SrcBlend; }
    QComboBox *GetDestBlend() const { return m_DestBlend; }
    QLabel *GetFaceIndexLabel() const { return m_FaceIndex; }
    QLabel *GetVertexIndexLabel() const { return m_VertexIndex; }
    QPushButton *GetMaterialSettingsButton() const { return m_MaterialSettings; }
    QPushButton *GetCreateMaterialButton() const { return m_CreateMaterial; }

private:
    void OnSelectMaterial(int index);
    void OnAlphaBlend();
    void OnFaceStyle();
    void OnMaterialSettings();
    void OnCreateNewMaterial();
    // " Material Settings" follows whether the sphere's material has a record.
    void UpdateWorkshopButton();
    // Enables the two blend combos and their labels.
    void EnableBlendControls(bool enable);
    // Gives the sphere a material and repaints the preview.
    void SetPreviewMaterial(LONG material);

    QCheckBox *m_StyleBoxes[5];
    QCheckBox *m_AlphaBlend;
    QComboBox *m_SrcBlend;
    QComboBox *m_DestBlend;
    QLabel *m_SrcLabel;
    QLabel *m_DestLabel;
    CZNMaterialComboBox *m_Materials;
    CZNFacesPreviewWnd *m_Preview;
    QPushButton *m_MaterialSettings;
    QPushButton *m_CreateMaterial;
    QLabel *m_FaceIndex;
    QLabel *m_VertexIndex;
};
