#pragma once

// CZNMaterialComboBox: the Faces page's material list. Row i stands for record i of the Direct3D
// wrapper's material list and is drawn by DrawItem: a 15-pixel band with the material's name over
// the preview sphere rendered with that material on the band's colour (the highlight when
// selected, black otherwise). The closed box shows the name; the popup is at most 420 pixels
// high. A row whose record no longer exists shows only its band; a failed capture leaves the
// picture in the band's colour. Drawing leaves the wrapper's render mode and state as it found
// them, and the sphere with its material and texture, and never presents, so the 3D pane keeps its
// last frame and the brush preview its material.
#include <QComboBox>

#include "platform/gdi/draw_item.h"

class CZNMaterialComboBox : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int kItemHeight = 64;
    static constexpr int kPopupHeight = 420;
    static constexpr int kBandHeight = 15;

    explicit CZNMaterialComboBox(QWidget *parent = nullptr);

    // One row of the list into the record's context.
    static void DrawItem(LPDRAWITEMSTRUCT item);
};
