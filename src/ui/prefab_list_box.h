#pragma once

// CZNPrefabListBox: the owner-drawn prefab list of the Prefabs page. Rows are kept sorted by name
// ignoring case (equal names keep the order they were added in), 124 pixels high; each row's data
// is its CZNPrefab, which the prefab manager owns: the owner empties the list before the manager
// lets its prefabs go.
//
// DrawItem paints a row: the highlight or window colour, the prefab's thumbnail at the row's
// horizontal centre 15 pixels below its top, and its name centred on top. A prefab's thumbnail is
// loaded from its file the first time the row is drawn and kept; a file that cannot be opened or
// has none is opened again at the next drawing. A thumbnail that loaded but cannot be drawn is
// dropped, and "A prefab that was successfully loaded could not be rendered in the list box" is
// reported once per prefab after the paint: a message box inside the paint would repaint the list
// and report again.
#include <QListWidget>

#include <set>

#include "platform/gdi/draw_item.h"

class CZNPrefab;

class CZNPrefabListBox : public QListWidget
{
    Q_OBJECT

public:
    static constexpr int kItemHeight = 124;
    static constexpr int kThumbnailTop = 15;

    explicit CZNPrefabListBox(QWidget *parent = nullptr);

    // Adds a row for the prefab at its sorted place; returns the row, -1 for null.
    int AddPrefab(CZNPrefab *prefab);
    // The row's prefab, or null.
    CZNPrefab *GetPrefab(int row) const;
    // The first row whose name equals text exactly (letter case counts), or -1.
    int FindStringExact(const char *text) const;
    // Empties the list and forgets which prefabs were reported.
    void ResetContent();

    void DrawItem(LPDRAWITEMSTRUCT item);

private:
    // Shows the report for every prefab queued by DrawItem.
    void ReportFailures();

    std::set<const CZNPrefab *> m_Reported;
    int m_PendingReports = 0;
};
