#pragma once

// CZNTextureComboBox: the owner-drawn texture list of the Textures page (and of the material
// workshop). An editable box whose rows are kept sorted by name ignoring case (equal names keep
// the order they were added in); each row's data is its CZNTexture. It neither completes nor
// inserts what is typed. DrawItem paints a row: the highlight or window colour, the texture's
// preview centred in the row and its name centred on top; a texture without a preview shows only
// the background.
#include <QComboBox>

#include "platform/gdi/draw_item.h"

class CZNTexture;
class CZNTextureManager;

class CZNTextureComboBox : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int kItemHeight = 92;
    static constexpr int kPopupHeight = 420;

    explicit CZNTextureComboBox(QWidget *parent = nullptr);

    // Adds a row for the texture at its sorted place; returns the row.
    int AddTexture(CZNTexture *texture);
    // The row's texture, or null.
    CZNTexture *GetTexture(int row) const;
    // The first row from start + 1 on (from 0 for -1) whose name begins with prefix, ignoring
    // case, going round to the start; -1 when none does.
    int FindString(int start, const QString &prefix) const;
    // Selects the row of the manager's current texture: with no current texture the first row's
    // texture becomes current and is selected; otherwise the first row whose name begins with the
    // current texture's name, or the first row when none does, and then adoptFirst makes that
    // row's texture current. An empty list selects nothing.
    void SelectCurrentTexture(CZNTextureManager *manager, bool adoptFirst);

    static void DrawItem(LPDRAWITEMSTRUCT item);
};
