// The document's Export Selected As Prefab command: the band's objects written as a prefab file.
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/reporter.h"
#include "scene/selection_entry.h"

namespace
{
constexpr char kCaption[] = "TOVRA";
constexpr char kNothingSelected[] = "Cannot create prefab.!!!\nYou have no objects selected into the selection box. ";
constexpr char kCannotWrite[] = "Unable to write selection to the specified file.";
} // namespace

int CZNEDITORDoc::OnSavePrefab()
{
    const CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    if (band->GetBandMode() == ZNBAND_EMPTY) {
        GetEditorApp()->GetReporter()->Message(kNothingSelected, kCaption, MB_OK);
        return 0;
    }
    std::vector<ZNSELECTIONENTRY> entries;
    band->GetEntries(entries);
    std::string path;
    if (!m_Shell || !m_Shell->AskFilePath(ZNFILEDLG_PREFAB, &path) || path.empty())
        return 0;
    if (!WriteIWF(path.c_str(), &entries, nullptr, kCannotWrite))
        return 0;
    m_Shell->RefreshPrefabs();
    RedrawAllViews(nullptr, 0);
    return 1;
}
