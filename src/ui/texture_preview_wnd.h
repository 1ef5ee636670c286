#pragma once

// CZNTexturePreviewWnd: the sunken frame that shows the texture manager's current texture: its
// preview centred on the window colour (a preview larger than the window is centred and
// cropped), or "Empty" centred when there is no current texture or it has no preview.
#include <QFrame>
#include <QImage>

class CZNTexturePreviewWnd : public QFrame
{
public:
    explicit CZNTexturePreviewWnd(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_Canvas;
};
