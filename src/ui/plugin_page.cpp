#include "ui/plugin_page.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QLabel>

#include <algorithm>

#include "app/editor_app.h"
#include "ui/plugin_host.h"
#include "ui/qt_combo_box.h"
#include "ui/slider_ctrl.h"

namespace
{
constexpr int kListHeight = 420;
// The host window at creation and, one pixel higher, after a change of plug-in; its slider.
const QRect kHostRect(QPoint(5, 239), QPoint(135, 478));
const QRect kRebuiltHostRect(QPoint(5, 238), QPoint(135, 477));
const QRect kHostSliderRect(QPoint(139, 239), QPoint(148, 478));
} // namespace

CZNPluginPage::CZNPluginPage(const QString &title, int contentHeight, QWidget *parent)
    : CZNOptionsPage(title, contentHeight, parent)
{
    QWidget *content = GetContent();
    // The page's controls in an 8-point font, as the page's dialog template has them.
    QFont font = content->font();
    font.setPointSize(8);
    content->setFont(font);

    m_Combo = new QComboBox(content);
    m_Combo->setObjectName(QStringLiteral("PluginList"));
    m_Combo->setGeometry(5, 5, 144, 22);
    m_Bitmap = new QLabel(content);
    m_Bitmap->setObjectName(QStringLiteral("PluginBitmap"));
    m_Bitmap->setGeometry(5, 32, 64, 64);
    m_Bitmap->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_Name = new QLabel(content);
    m_Name->setObjectName(QStringLiteral("PluginName"));
    m_Name->setGeometry(75, 32, 74, 64);
    m_Name->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_Name->setWordWrap(true);
    QFont bold = font;
    bold.setBold(true);
    m_Name->setFont(bold);
    m_Credit = new QLabel(content);
    m_Credit->setObjectName(QStringLiteral("PluginCredit"));
    m_Credit->setGeometry(5, 102, 144, 132);
    m_Credit->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_Credit->setWordWrap(true);

    m_HostFrame = new QFrame(content);
    m_HostFrame->setObjectName(QStringLiteral("PluginHostFrame"));
    m_HostFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_HostFrame->setLineWidth(1);
    m_HostFrame->setGeometry(kHostRect);
    m_HostSlider = new CZNSliderCtrl(kHostSliderRect, content);
    m_HostSlider->setObjectName(QStringLiteral("PluginHostSlider"));

    connect(m_Combo, &QComboBox::activated, this, &CZNPluginPage::OnSelChange);
    connect(m_HostSlider, &CZNSliderCtrl::positionChanged, this, &CZNPluginPage::OnHostScroll, Qt::DirectConnection);
}

CZNPluginPage::~CZNPluginPage() = default;

void CZNPluginPage::OnInitDialog()
{
    CZNOptionsPage::OnInitDialog();
    m_Combo->clear();
    CZNQtComboBox combo(m_Combo);
    FillComboBox(&combo);
    const int rowHeight = std::max(m_Combo->view()->sizeHintForRow(0), m_Combo->fontMetrics().height() + 2);
    m_Combo->setMaxVisibleItems(std::max(1, kListHeight / rowHeight));
    ShowActivePlugin();
    CreateHost(kHostRect);
    AfterHostCreated();
}

void CZNPluginPage::OnSelChange(int row)
{
    if (row < 0 || row >= m_Combo->count())
        return;
    if (PFNDESTROYCONTROLS destroy = GetDestroyControls())
        destroy();
    SetActivePlugin(static_cast<int>(m_Combo->itemData(row).toLongLong()));
    ShowActivePlugin();
    delete m_Host;
    m_Host = nullptr;
    CreateHost(kRebuiltHostRect);
    AfterHostCreated();
}

void CZNPluginPage::OnHostScroll(int position)
{
    const int offset = -position;
    const int dy = offset - m_HostOffset;
    m_HostOffset = offset;
    if (m_Host && dy)
        m_Host->scroll(0, dy);
}

QPixmap CZNPluginPage::LoadPluginBitmap(const char *file, const char *name)
{
    if (file && name && *name) {
        const QString folder = QFileInfo(QString::fromLocal8Bit(file)).absolutePath();
        const QPixmap own(folder + QStringLiteral("/Resources/") + QString::fromLocal8Bit(name) +
                          QStringLiteral(".png"));
        if (!own.isNull())
            return own;
    }
    return QPixmap(QString::fromStdString(GetEditorApp()->GetProgramDirectory() + "Resources/bitmap155.png"));
}

void CZNPluginPage::ShowActivePlugin()
{
    const ZNPLUGINTEXTS texts = GetActiveTexts();
    m_Bitmap->setPixmap(LoadPluginBitmap(texts.file, texts.bitmap));
    m_Name->setText(QString::fromLatin1(texts.name ? texts.name : ""));
    m_Credit->setText(QString::fromLatin1(texts.description ? texts.description : ""));
}

void CZNPluginPage::CreateHost(const QRect &rect)
{
    m_HostFrame->setGeometry(rect);
    m_Host = NewHost(m_HostFrame);
    m_Host->setGeometry(m_HostFrame->contentsRect());
    m_Host->show();
    const int height = m_Host->CreateControls(GetCreateControls());
    const int visible = m_Host->height();
    m_HostSlider->SetRange(0.0f, static_cast<float>(std::max(height, visible)), true);
    m_HostSlider->SetPage(static_cast<float>(visible), true);
    m_HostSlider->SetPos(0.0f, true);
    m_HostOffset = 0;
}
