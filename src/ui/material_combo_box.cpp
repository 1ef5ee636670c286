#include "ui/material_combo_box.h"

#include <QAbstractItemView>

#include "app/editor_app.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_api.h"
#include "render/direct3d.h"
#include "render/material_preview.h"
#include "render/texture.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/material.h"
#include "ui/owner_draw_delegate.h"

CZNMaterialComboBox::CZNMaterialComboBox(QWidget *parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("MaterialList"));
    setItemDelegate(new CZNOwnerDrawDelegate(kItemHeight, &CZNMaterialComboBox::DrawItem, this));
    // A list popup (not a menu over the box), so that the visible-item count holds.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setMaxVisibleItems(kPopupHeight / kItemHeight);
}

namespace
{
// Keeps the sphere's material and texture while a row borrows the sphere: the brush preview
// shows the sphere's material and would otherwise show the last row drawn at its next paint.
// The kept texture holds a reference meanwhile, so that its device texture is not rebuilt.
class ZNSPHEREKEEPER
{
public:
    explicit ZNSPHEREKEEPER(ZNBRUSH *sphere) : m_Sphere(sphere), m_Face(sphere ? sphere->GetFace(0) : nullptr)
    {
        if (!m_Face)
            return;
        m_Material = m_Face->GetMaterial();
        m_Texture = m_Face->GetTexture();
        if (m_Texture)
            m_Texture->IncreaseRefCount();
    }
    ~ZNSPHEREKEEPER()
    {
        if (!m_Face)
            return;
        m_Sphere->SetMaterial(m_Material);
        m_Sphere->SetTexture(m_Texture, 1);
        if (m_Texture)
            m_Texture->DecreaseRefCount();
    }
    ZNSPHEREKEEPER(const ZNSPHEREKEEPER &) = delete;
    ZNSPHEREKEEPER &operator=(const ZNSPHEREKEEPER &) = delete;

private:
    ZNBRUSH *m_Sphere;
    ZNFACE *m_Face;
    LONG m_Material = 0;
    CZNTexture *m_Texture = nullptr;
};
} // namespace

void CZNMaterialComboBox::DrawItem(LPDRAWITEMSTRUCT item)
{
    CZNDC *dc = CZNDC::FromHandle(item->hDC);
    if (!dc)
        return;
    RECT band = item->rcItem;
    band.bottom = band.top + kBandHeight;
    RECT picture = item->rcItem;
    picture.top = band.bottom;
    const COLORREF background = (item->itemState & ODS_SELECTED) ? GetSysColor(COLOR_HIGHLIGHT) : RGB(0, 0, 0);
    CZNBrush fill;
    fill.CreateSolidBrush(background);
    dc->FillRect(&item->rcItem, &fill);

    CZNEDITORApp *app = GetEditorApp();
    CZN3D *d3d = app->Get3D();
    CZNMATERIAL *record = item->itemID != static_cast<UINT>(-1) && d3d ? d3d->GetMaterialRecord(item->itemID) : nullptr;
    if (!record)
        return;

    const int width = picture.right - picture.left, height = picture.bottom - picture.top;
    if (d3d->GetDevice() && width > 0 && height > 0) {
        const DWORD mode = d3d->GetRenderMode();
        d3d->SetRenderMode(4);
        d3d->PushState();
        const ZNSPHEREKEEPER keeper(app->GetMaterialPreviewBrush());
        const RECT viewport = {0, 0, width, height};
        d3d->SetupViewport(&viewport);
        if (CZNMaterialPreview::Draw(d3d, app->GetMaterialPreviewBrush(), static_cast<LONG>(item->itemID),
                                     background)) {
            // The capture holds the viewport's pixels from the back buffer's corner.
            if (HDC capture = d3d->CaptureToBitmap()) {
                dc->BitBlt(picture.left, picture.top, width, height, CZNDC::FromHandle(capture), 0, 0, SRCCOPY);
                d3d->ReleaseCapture();
            }
        }
        d3d->PopState();
        d3d->SetRenderMode(mode);
    }

    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(255, 255, 255));
    dc->DrawText(record->GetName(), -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SetBkMode(OPAQUE);
}
