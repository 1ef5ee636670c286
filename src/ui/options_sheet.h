#pragma once

// CZNOptionsSheet: the options panel's sheet, 172 x 555 pixels: eight exclusive buttons in tab
// order (General, Primitives, Faces, Entities, Textures, Overlays, Prefabs, Scene), wrapping in
// rows, over a display area that shows one page at a time, and the slider at the display area's
// right edge. It owns the pages and the slider; the first page is active from the start.
// Dragging the slider scrolls the active page to minus its position.
#include <QWidget>

#include <vector>

class CZNEntitiesPage;
class CZNFacesPage;
class CZNGeneralPage;
class CZNOptionsPage;
class CZNOverlaysPage;
class CZNPrefabsPage;
class CZNPrimitivesPage;
class CZNScenePage;
class CZNSliderCtrl;
class CZNTexturesPage;
class CZNEDITORDoc;
class QAbstractButton;
class QButtonGroup;
class QStackedWidget;

class CZNOptionsSheet : public QWidget
{
    Q_OBJECT

public:
    // The pages in tab order.
    enum ZNPAGE : int {
        PAGE_GENERAL = 0,
        PAGE_PRIMITIVES = 1,
        PAGE_FACES = 2,
        PAGE_ENTITIES = 3,
        PAGE_TEXTURES = 4,
        PAGE_OVERLAYS = 5,
        PAGE_PREFABS = 6,
        PAGE_SCENE = 7,
        PAGE_COUNT = 8,
    };
    static constexpr int kWidth = 172;
    static constexpr int kHeight = 555;

    explicit CZNOptionsSheet(QWidget *parent = nullptr);

    // Shows the page at index (its button checked): its first activation runs its OnInitDialog,
    // every activation its OnSetActive. An index out of range changes nothing.
    void SetActivePage(int index);
    int GetActiveIndex() const;
    CZNOptionsPage *GetActivePage() const;
    CZNOptionsPage *GetPage(int index) const;
    CZNScenePage *GetScenePage() const { return m_ScenePage; }
    CZNFacesPage *GetFacesPage() const { return m_FacesPage; }
    CZNTexturesPage *GetTexturesPage() const { return m_TexturesPage; }
    CZNGeneralPage *GetGeneralPage() const { return m_GeneralPage; }
    CZNOverlaysPage *GetOverlaysPage() const { return m_OverlaysPage; }
    CZNPrefabsPage *GetPrefabsPage() const { return m_PrefabsPage; }
    CZNPrimitivesPage *GetPrimitivesPage() const { return m_PrimitivesPage; }
    CZNEntitiesPage *GetEntitiesPage() const { return m_EntitiesPage; }
    QAbstractButton *GetTabButton(int index) const;
    QStackedWidget *GetDisplayArea() const { return m_DisplayArea; }
    CZNSliderCtrl *GetSlider() const { return m_Slider; }

    // The active page is refreshed from the selection.
    void RefreshActivePage();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::vector<CZNOptionsPage *> m_Pages;
    CZNScenePage *m_ScenePage;
    CZNFacesPage *m_FacesPage;
    CZNTexturesPage *m_TexturesPage;
    CZNGeneralPage *m_GeneralPage = nullptr;
    CZNOverlaysPage *m_OverlaysPage = nullptr;
    CZNPrefabsPage *m_PrefabsPage = nullptr;
    CZNPrimitivesPage *m_PrimitivesPage = nullptr;
    CZNEntitiesPage *m_EntitiesPage = nullptr;
    QButtonGroup *m_Buttons;
    QStackedWidget *m_DisplayArea;
    CZNSliderCtrl *m_Slider;
};
