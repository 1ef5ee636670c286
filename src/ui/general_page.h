#pragma once

// CZNGeneralPage: the options panel's General page. Two editor-wide switches, "Ignore Back Faces"
// (option word 26, read by picking; the box starts unchecked and is never set from the word) and
// "Allow Brush Splitting" (the carve mode, word 7), and two properties of the selected objects:
// "Detail Brush" (brush bit ZNBRUSH_DETAIL) and "Hidden" (brush bit ZNBRUSH_HIDDEN, entity and
// overlay bit 1). Each property click is one undo level of the selection's flag words and changes
// only its own bit in every selected object, so a mixed selection keeps its other bits. Changes
// the page makes itself while filling its controls (edits disabled) write nothing.
#include "ui/options_page.h"

class QCheckBox;

class CZNGeneralPage : public CZNOptionsPage
{
    Q_OBJECT

public:
    explicit CZNGeneralPage(QWidget *parent = nullptr);

    void OnInitDialog() override;
    void OnSetActive() override;
    // Edits off, the controls from the selection, edits on.
    void RefreshFromSelection() override;

    // "Allow Brush Splitting" from its word; "Detail Brush" from the first selected brush and
    // "Hidden" from the first brush, else overlay, else entity, each disabled and unchecked
    // without an object it can show.
    void UpdateFromSelection();

    QCheckBox *GetIgnoreBackFacesBox() const { return m_IgnoreBackFaces; }
    QCheckBox *GetBrushSplittingBox() const { return m_BrushSplitting; }
    QCheckBox *GetDetailBox() const { return m_Detail; }
    QCheckBox *GetHiddenBox() const { return m_Hidden; }

private:
    void OnIgnoreBackFaces();
    void OnBrushSplitting();
    void OnDetail();
    void OnHidden();

    QCheckBox *m_IgnoreBackFaces;
    QCheckBox *m_BrushSplitting;
    QCheckBox *m_Detail;
    QCheckBox *m_Hidden;
};
