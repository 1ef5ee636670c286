#include "ui/iwf_export_options_dlg.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "fileio/iwf_export_options.h"
#include "fileio/iwf_scene.h"

namespace
{
// The row that stands for no option: vertex components are always written.
constexpr int kVertexComponentsRow = 5;

struct ZNCHUNKROW {
    const char *label;
    int option; // -1: none
    const char *help;
};

// clang-format off
constexpr ZNCHUNKROW kStandardRows[] = {
    {"CHUNK_THUMBNAIL", IWFOPT_THUMBNAIL, "The thumbnail chunk holds one small image of the scene (about 128x128 pixels). The editor shows it for prefabs and in the prefab bar."},
    {"CHUNK_SUMMARY", IWFOPT_SUMMARY, "The summary chunk counts every kind of chunk in the file, custom chunks included. It is optional, is appended at the end of the file and is found through an offset in the IWF header."},
    {"CHUNK_GROUP", IWFOPT_GROUP, "Groups are containers of other chunks. Without them, grouped objects are still written, each on its own."},
    {"CHUNK_MESH", IWFOPT_MESH, "The mesh chunk describes one mesh and is the parent of its face chunks. Leaving it out serves debugging."},
    {"CHUNK_ENTITY", IWFOPT_ENTITY, "Entities are general-purpose data containers: lights, locators, triggers, emitters. Without them the scene cannot be lit again in the editor."},
    {"CHUNK_VERTEXCOMPONENTS", -1, "No options are currently available for this chunk type."},
    {"CHUNK_INDICES", IWFOPT_INDICES, "The indices chunk stores each face as a list of 16-bit triangle indices. Vertices are always written in clockwise order; the editor computes indices again when it needs them."},
    {"CHUNK_MATERIALS", IWFOPT_MATERIALS, "Materials carry lighting and alpha blending. Without them faces revert to their default state."},
    {"CHUNK_TEXTURES", IWFOPT_TEXTURES, "Textures are stored per face. Without them every face stores the texture index -1 (no texture)."},
    {"CHUNK_DECALMESH", IWFOPT_DECALMESH, "The decal mesh is the IWF form of the editor's overlays."},
};
constexpr ZNCHUNKROW kCustomRows[] = {
    {"CHUNK_EDITOR_OPTIONS", IWFOPT_EDITOR_OPTIONS, "Editor settings stored with the scene: the lighting configuration and the grid size."},
    {"CHUNK_EXTRA_FACE_INFO", IWFOPT_EXTRA_FACE_INFO, "The face texturing values (U/V position and wrap) and the face styles needed to edit the file again."},
    {"CHUNK_EXTRA_MATERIAL_INFO", IWFOPT_EXTRA_MATERIAL_INFO, "The material preview settings: preview light and texture."},
    {"CHUNK_EXTRA_TEXTURE_INFO", IWFOPT_EXTRA_TEXTURE_INFO, "The CRC of each texture's image, the primary key to find a texture. Without it textures are found by name."},
    {"CHUNK_EXTRA_OVERLAY_INFO", IWFOPT_EXTRA_OVERLAY_INFO, "Overlay editing flags such as 'Auto Rebuild'. Without them overlays load with auto rebuild off."},
};
// clang-format on

constexpr char kIntroduction[] =
    "This dialog allows you to enable and disable the export of various IWF chunks depending on the features "
    "that you need externally.\n\n"
    "Tick a chunk's check box to export it; clear it to leave that chunk out.\n\n"
    "Click a chunk to show its information in this box.\n\n"
    "We recommend that you leave every chunk enabled unless the exported file will not be edited again.";

QListWidget *MakeList(const QString &title, const ZNCHUNKROW *rows, int count, const IWFEXPORTOPTIONS &options,
                      QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setToolTip(title);
    list->setAccessibleName(title);
    for (int i = 0; i < count; ++i) {
        auto *item = new QListWidgetItem(QString::fromLatin1(rows[i].label), list);
        if (rows[i].option < 0) {
            // Selectable for its help text, dimmed, never ticked.
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            item->setForeground(list->palette().brush(QPalette::Disabled, QPalette::Text));
            item->setCheckState(Qt::Unchecked);
        } else {
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(options.Option[rows[i].option] ? Qt::Checked : Qt::Unchecked);
        }
    }
    return list;
}
} // namespace

CZNIWFExportOptionsDlg::CZNIWFExportOptionsDlg(IWFEXPORTOPTIONS *options, QWidget *parent)
    : QDialog(parent), m_Options(options)
{
    setWindowTitle(QStringLiteral("IWF Export Options"));
    const IWFEXPORTOPTIONS shown = options ? *options : IWFEXPORTOPTIONS{};
    m_Standard = MakeList(QStringLiteral("Standard Chunk Label"), kStandardRows, std::size(kStandardRows), shown, this);
    m_Custom = MakeList(QStringLiteral("Custom Chunk Label"), kCustomRows, std::size(kCustomRows), shown, this);
    m_Info = new QPlainTextEdit(QString::fromLatin1(kIntroduction), this);
    m_Info->setReadOnly(true);
    m_SaveDefaults = new QPushButton(QStringLiteral("Save as Default Options"), this);

    auto *chunks = new QGroupBox(QStringLiteral("Chunks to Export"), this);
    auto *chunkLayout = new QVBoxLayout(chunks);
    chunkLayout->addWidget(m_Standard, 2);
    chunkLayout->addWidget(m_Custom, 1);
    auto *information = new QGroupBox(QStringLiteral("Chunk Information"), this);
    auto *infoLayout = new QVBoxLayout(information);
    infoLayout->addWidget(m_Info);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(m_SaveDefaults, QDialogButtonBox::ActionRole);
    auto *columns = new QHBoxLayout;
    columns->addWidget(chunks);
    columns->addWidget(information);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
    resize(520, 380);

    connect(buttons, &QDialogButtonBox::accepted, this, &CZNIWFExportOptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CZNIWFExportOptionsDlg::reject);
    connect(m_SaveDefaults, &QPushButton::clicked, this, &CZNIWFExportOptionsDlg::OnSaveDefaults);
    // A row's help shows when it becomes selected; the introduction stays until then.
    for (QListWidget *list : {m_Standard, m_Custom})
        connect(list, &QListWidget::itemSelectionChanged, this, [this, list] {
            const QList<QListWidgetItem *> selected = list->selectedItems();
            if (!selected.isEmpty())
                ShowHelp(list, list->row(selected.first()));
        });
    // The guard: whatever reaches the vertex-components row, its box stays clear.
    connect(m_Standard, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (m_Standard->row(item) == kVertexComponentsRow && item->checkState() != Qt::Unchecked) {
            const QSignalBlocker block(m_Standard);
            item->setCheckState(Qt::Unchecked);
        }
    });
}

void CZNIWFExportOptionsDlg::ShowHelp(const QListWidget *list, int row)
{
    const bool standard = list == m_Standard;
    const int count = standard ? static_cast<int>(std::size(kStandardRows)) : static_cast<int>(std::size(kCustomRows));
    if (row < 0 || row >= count)
        return;
    m_Info->setPlainText(QString::fromLatin1(standard ? kStandardRows[row].help : kCustomRows[row].help));
}

void CZNIWFExportOptionsDlg::ReadChecks()
{
    if (!m_Options)
        return;
    auto read = [this](const QListWidget *list, const ZNCHUNKROW *rows, int count) {
        for (int i = 0; i < count; ++i)
            if (rows[i].option >= 0)
                m_Options->Option[rows[i].option] = list->item(i)->checkState() == Qt::Checked ? 1 : 0;
    };
    read(m_Standard, kStandardRows, static_cast<int>(std::size(kStandardRows)));
    read(m_Custom, kCustomRows, static_cast<int>(std::size(kCustomRows)));
}

void CZNIWFExportOptionsDlg::OnSaveDefaults()
{
    ReadChecks();
    if (m_Options)
        SaveIWFExportOptions(*m_Options);
}

void CZNIWFExportOptionsDlg::accept()
{
    ReadChecks();
    QDialog::accept();
}
