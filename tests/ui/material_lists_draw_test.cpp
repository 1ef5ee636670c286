// What the material and texture lists and previews draw, in a started editor: the material rows'
// band and rendered sphere, the wrapper left as it was, the texture rows' layout and the
// texture preview; and screenshots of the two pages with their lists open.
#include <QAbstractItemView>
#include <QPainter>

#include <cstring>

#include "platform/d3d9/direct3d_device9.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_api.h"
#include "render/camera.h"
#include "render/image/image.h"
#include "scene/material.h"
#include "ui/3d_view_widget.h"
#include "ui/faces_page.h"
#include "ui/material_combo_box.h"
#include "ui/material_pages_fixture.h"
#include "ui/texture_combo_box.h"
#include "ui/texture_preview_wnd.h"
#include "ui/textures_page.h"

namespace
{

constexpr int kRowWidth = 150;

class MaterialListsDrawTest : public ZnMaterialPagesTest
{
protected:
    // One row drawn by the list's step into an image of its own.
    template <class Draw> static QImage Row(Draw draw, int width, int height, UINT id, uintptr_t data, bool selected)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(255, 0, 255));
        CZNDC dc;
        EXPECT_TRUE(dc.AttachImage(&image));
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_COMBOBOX;
        item.itemID = id;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = selected ? ODS_SELECTED : 0;
        item.hDC = dc.GetSafeHdc();
        item.rcItem = RECT{0, 0, width, height};
        item.itemData = data;
        draw(&item);
        dc.DeleteDC();
        return image;
    }
    static QImage MaterialRow(UINT id, bool selected)
    {
        return Row(&CZNMaterialComboBox::DrawItem, kRowWidth, CZNMaterialComboBox::kItemHeight, id, 0, selected);
    }
    static QRgb Rgb(const QImage &image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
    static QRgb Rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFF; }
    // The box of the pixels in the rows [top, bottom) that differ from the colour.
    static QRect Ink(const QImage &image, int top, int bottom, QRgb background)
    {
        QRect box;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (Rgb(image, x, y) != background)
                    box |= QRect(x, y, 1, 1);
        return box;
    }
    // A material whose light only its emissive colour gives.
    static int EmissiveMaterial(float r, float g, float b)
    {
        CZN3D *d3d = GetEditorApp()->Get3D();
        const int index = d3d->AddMaterial();
        D3DMATERIAL9 m{};
        m.Emissive = {r, g, b, 1.0f};
        m.Diffuse = {0, 0, 0, 1.0f};
        d3d->GetMaterialRecord(static_cast<DWORD>(index))->SetD3DMaterial(&m);
        return index;
    }
    CZN3DViewWidget *Perspective() const
    {
        for (QWidget *child : frame->findChildren<QWidget *>())
            if (auto *widget = dynamic_cast<CZN3DViewWidget *>(child))
                return widget;
        return nullptr;
    }
    // The frame with the combo's open popup drawn where it is.
    QImage WithPopup(QComboBox *combo)
    {
        combo->showPopup();
        QCoreApplication::processEvents();
        QImage shot = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QWidget *popup = combo->view()->window();
        EXPECT_TRUE(popup->isVisible());
        QPainter painter(&shot);
        painter.drawImage(frame->mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab().toImage());
        painter.end();
        combo->hidePopup();
        return shot;
    }
};

TEST_F(MaterialListsDrawTest, TheBandIsTheHighlightWhenSelectedAndBlackOtherwise)
{
    const QImage selected = MaterialRow(0, true), plain = MaterialRow(0, false);
    const QRgb highlight = Rgb(GetSysColor(COLOR_HIGHLIGHT));
    ASSERT_NE(highlight, 0u);
    // The band's corner and the picture's corner, beyond the sphere.
    EXPECT_EQ(Rgb(selected, 1, 1), highlight);
    EXPECT_EQ(Rgb(selected, 1, 62), highlight);
    EXPECT_EQ(Rgb(plain, 1, 1), 0u);
    EXPECT_EQ(Rgb(plain, 1, 62), 0u);
    // The name in white in the band, centred.
    const QRect name = Ink(plain, 0, CZNMaterialComboBox::kBandHeight, 0);
    ASSERT_FALSE(name.isEmpty());
    int white = 0;
    for (int y = 0; y < CZNMaterialComboBox::kBandHeight; ++y)
        for (int x = 0; x < kRowWidth; ++x)
            white += Rgb(plain, x, y) == 0xFFFFFF;
    EXPECT_GT(white, 10);
    EXPECT_NEAR(name.center().x(), kRowWidth / 2, 2);
    // The sphere fills the picture's middle.
    EXPECT_NE(Rgb(plain, kRowWidth / 2, 40), 0u);
    // A row without a record draws only its band.
    const UINT missing = GetEditorApp()->Get3D()->GetMaterialList()->GetElementCount() + 3;
    const QImage empty = MaterialRow(missing, false);
    EXPECT_TRUE(Ink(empty, 0, empty.height(), 0).isEmpty());
}

TEST_F(MaterialListsDrawTest, AnEmissiveMaterialShowsItsColourOrTheMaterialSysTexture)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    const int own = EmissiveMaterial(0.2f, 0.6f, 0.4f);
    d3d->GetMaterialRecord(static_cast<DWORD>(own))->SetTexture(FindTexture("white"));
    const QImage coloured = MaterialRow(static_cast<UINT>(own), false);
    const QRgb centre = Rgb(coloured, kRowWidth / 2, 15 + 49 / 2);
    EXPECT_NEAR(qRed(centre), 51, 1);
    EXPECT_NEAR(qGreen(centre), 153, 1);
    EXPECT_NEAR(qBlue(centre), 102, 1);

    // Without a texture of its own the sphere wears "Material.sys": the same picture as with that
    // texture given explicitly, and not a plain colour.
    const int bare = EmissiveMaterial(1.0f, 1.0f, 1.0f);
    const QImage untextured = MaterialRow(static_cast<UINT>(bare), false);
    ASSERT_NE(GetEditorApp()->GetMaterialPreviewTexture(), nullptr);
    d3d->GetMaterialRecord(static_cast<DWORD>(bare))->SetTexture(GetEditorApp()->GetMaterialPreviewTexture());
    EXPECT_EQ(MaterialRow(static_cast<UINT>(bare), false), untextured);
    d3d->GetMaterialRecord(static_cast<DWORD>(bare))->SetTexture(FindTexture("white"));
    EXPECT_NE(MaterialRow(static_cast<UINT>(bare), false), untextured);
}

TEST_F(MaterialListsDrawTest, DrawingARowLeavesTheWrapperAndThe3DViewAsTheyWere)
{
    Cube();
    CZN3D *d3d = GetEditorApp()->Get3D();
    CZN3DViewWidget *perspective = Perspective();
    ASSERT_NE(perspective, nullptr);
    doc->RedrawAllViews(nullptr, 0);
    QCoreApplication::processEvents();
    const QImage before = perspective->grab().toImage();
    const DWORD mode = d3d->GetRenderMode(), lighting = d3d->IsDefaultLighting();
    D3DVIEWPORT9 viewport{};
    d3d->GetDevice()->GetViewport(&viewport);
    const CZNCAMERA camera = *d3d->GetCamera();
    const QRgb sceneCentre = Rgb(before, perspective->width() / 2, perspective->height() / 2);

    ZNFACE *sphere = GetEditorApp()->GetMaterialPreviewBrush()->GetFace(0);
    const LONG sphereMaterial = sphere->GetMaterial();
    CZNTexture *const sphereTexture = sphere->GetTexture();
    const int rotated = EmissiveMaterial(1, 1, 1);
    d3d->GetMaterialRecord(static_cast<DWORD>(rotated))->SetTexture(FindTexture("white"));
    d3d->GetMaterialRecord(static_cast<DWORD>(rotated))->SetPreviewRotation(90);
    MaterialRow(static_cast<UINT>(rotated), true);
    MaterialRow(0, false);

    EXPECT_EQ(d3d->GetRenderMode(), mode);
    EXPECT_EQ(d3d->IsDefaultLighting(), lighting);
    // The brush preview's sphere keeps its material and texture.
    EXPECT_EQ(sphere->GetMaterial(), sphereMaterial);
    EXPECT_EQ(sphere->GetTexture(), sphereTexture);
    D3DVIEWPORT9 after{};
    d3d->GetDevice()->GetViewport(&after);
    EXPECT_EQ(std::memcmp(&after, &viewport, sizeof viewport), 0);
    EXPECT_EQ(d3d->GetCamera()->GetPosition(), camera.GetPosition());
    EXPECT_EQ(d3d->GetCamera()->GetLook(), camera.GetLook());
    EXPECT_EQ(d3d->GetCamera()->GetUp(), camera.GetUp());
    // The 3D pane still shows its own last frame, and the next frame is the same picture.
    QCoreApplication::processEvents();
    EXPECT_EQ(Rgb(perspective->grab().toImage(), perspective->width() / 2, perspective->height() / 2), sceneCentre);
    doc->RedrawAllViews(nullptr, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(perspective->grab().toImage(), before);
}

TEST_F(MaterialListsDrawTest, APreviewRotationTurnsTheSphere)
{
    const int index = EmissiveMaterial(1, 1, 1);
    const QImage front = MaterialRow(static_cast<UINT>(index), false);
    GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(index))->SetPreviewRotation(90);
    EXPECT_NE(MaterialRow(static_cast<UINT>(index), false), front);
    CZNMATERIAL copy(*GetEditorApp()->Get3D()->GetMaterialRecord(static_cast<DWORD>(index)));
    EXPECT_EQ(copy.GetPreviewRotation(), 90);
    EXPECT_EQ(CZNMATERIAL().GetPreviewRotation(), 0);
}

TEST_F(MaterialListsDrawTest, ATextureRowCentresItsPreviewUnderItsName)
{
    CZNTexture *brick = FindTexture("brick");
    ASSERT_NE(brick, nullptr);
    ASSERT_EQ(brick->GetPreviewImage()->GetWidth(), 64u);
    const QImage row = Row(&CZNTextureComboBox::DrawItem, 200, CZNTextureComboBox::kItemHeight, 0,
                           reinterpret_cast<uintptr_t>(brick), false);
    const QRect picture = Ink(row, 14, 92, 0xFFFFFF);
    EXPECT_EQ(picture, QRect(68, 14, 64, 64));
    const QRect name = Ink(row, 0, 14, 0xFFFFFF);
    ASSERT_FALSE(name.isEmpty());
    EXPECT_NEAR(name.center().x(), 100, 2);
    // A selected row has the highlight under picture and name.
    const QImage selected = Row(&CZNTextureComboBox::DrawItem, 200, CZNTextureComboBox::kItemHeight, 0,
                                reinterpret_cast<uintptr_t>(brick), true);
    EXPECT_EQ(Rgb(selected, 2, 2), Rgb(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(Rgb(selected, 2, 80), Rgb(GetSysColor(COLOR_HIGHLIGHT)));
}

TEST_F(MaterialListsDrawTest, TheTexturePreviewShowsEmptyOrTheCentredPicture)
{
    CZNTexturePreviewWnd preview;
    preview.resize(120, 80);
    Textures()->SetCurrentTexture(nullptr);
    QImage shot = preview.grab().toImage();
    const QRect inner = preview.contentsRect();
    QRect text;
    for (int y = inner.top(); y <= inner.bottom(); ++y)
        for (int x = inner.left(); x <= inner.right(); ++x)
            if (Rgb(shot, x, y) != 0xFFFFFF)
                text |= QRect(x, y, 1, 1);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_NEAR(text.center().x(), inner.center().x(), 2);
    EXPECT_NEAR(text.center().y(), inner.center().y(), 3);

    // A preview larger than the window is centred and cropped: its middle shows in the middle.
    Textures()->SetCurrentTexture(FindTexture("brick"));
    preview.resize(40, 30);
    shot = preview.grab().toImage();
    const QRgb brick = Rgb(shot, preview.contentsRect().center().x(), preview.contentsRect().center().y());
    EXPECT_NE(brick, 0xFFFFFFu);
    EXPECT_EQ(Rgb(shot, preview.contentsRect().left(), preview.contentsRect().top()), brick);
}

TEST_F(MaterialListsDrawTest, ScreenshotsOfBothPagesWithTheirListsOpen)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    const int red = EmissiveMaterial(0.8f, 0.1f, 0.1f);
    d3d->GetMaterialRecord(static_cast<DWORD>(red))->SetName("Red Glow");
    d3d->GetMaterialRecord(static_cast<DWORD>(EmissiveMaterial(0.2f, 0.3f, 0.9f)))->SetName("Blue Glow");
    frame->show();
    Activate(CZNOptionsSheet::PAGE_FACES);
    frame->RefreshMaterialList();
    QCoreApplication::processEvents();
    const QImage faces = WithPopup(Sheet()->GetFacesPage()->GetMaterialList());
    EXPECT_TRUE(faces.save(QString::fromStdString(ScratchPath("faces_page_materials.png"))));

    Activate(CZNOptionsSheet::PAGE_TEXTURES);
    const QImage textures = WithPopup(Sheet()->GetTexturesPage()->GetTextureList());
    EXPECT_TRUE(textures.save(QString::fromStdString(ScratchPath("textures_page_list.png"))));
    EXPECT_NE(faces, textures);
}

} // namespace
