#include "ui/texture_preview_wnd.h"

#include <QPainter>

#include "app/editor_app.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_api.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"

CZNTexturePreviewWnd::CZNTexturePreviewWnd(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("TexturePreview"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void CZNTexturePreviewWnd::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRect area = contentsRect();
    if (area.isEmpty())
        return;
    if (m_Canvas.size() != area.size())
        m_Canvas = QImage(area.size(), QImage::Format_RGB32);
    CZNDC dc;
    if (!dc.AttachImage(&m_Canvas))
        return;
    RECT client = {0, 0, area.width(), area.height()};
    CZNBrush fill;
    fill.CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    dc.FillRect(&client, &fill);
    CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
    CZNTexture *texture = manager ? manager->GetCurrentTexture() : nullptr;
    const CZNImage *preview = texture ? texture->GetPreviewImage() : nullptr;
    if (!preview) {
        dc.DrawText("Empty", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
        // Signed offsets: a preview larger than the window is centred and cropped.
        const int x = (client.right - static_cast<int>(preview->GetWidth())) >> 1;
        const int y = (client.bottom - static_cast<int>(preview->GetHeight())) >> 1;
        texture->DrawPreview(&dc, x, y, 0, 0);
    }
    dc.DeleteDC();
    QPainter(this).drawImage(area.topLeft(), m_Canvas);
}
