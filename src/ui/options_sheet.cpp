#include "ui/options_sheet.h"

#include <QButtonGroup>
#include <QPainter>
#include <QStackedLayout>
#include <QStackedWidget>
#include <QToolButton>

#include <algorithm>

#include "ui/entities_page.h"
#include "ui/faces_page.h"
#include "ui/general_page.h"
#include "ui/options_page.h"
#include "ui/overlays_page.h"
#include "ui/prefabs_page.h"
#include "ui/primitives_page.h"
#include "ui/scene_page.h"
#include "ui/slider_ctrl.h"
#include "ui/textures_page.h"

namespace
{
// The buttons' height and the room around a row.
constexpr int kButtonHeight = 20;
constexpr int kButtonPadding = 10;
constexpr int kFrame = 2;

struct ZNPAGEDEF {
    const char *title;
    int contentHeight;
};
// clang-format off
constexpr ZNPAGEDEF kPages[CZNOptionsSheet::PAGE_COUNT] = {
    {"General", 150}, {"Primitives", 485}, {"Faces", 522}, {"Entities", 485},
    {"Textures", 540}, {"Overlays", 200}, {"Prefabs", 480}, {"Scene", 485},
};
// clang-format on
} // namespace

CZNOptionsSheet::CZNOptionsSheet(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CZNOptionsSheet"));
    setFixedSize(kWidth, kHeight);

    // The buttons, in rows as wide as the sheet.
    m_Buttons = new QButtonGroup(this);
    m_Buttons->setExclusive(true);
    int x = 0, y = 0;
    for (int i = 0; i < PAGE_COUNT; ++i) {
        auto *button = new QToolButton(this);
        const QString title = QString::fromLatin1(kPages[i].title);
        button->setText(title);
        button->setCheckable(true);
        button->setObjectName(title + QStringLiteral("Tab"));
        const int w = std::min(kWidth, button->fontMetrics().horizontalAdvance(title) + kButtonPadding);
        if (x > 0 && x + w > kWidth) {
            x = 0;
            y += kButtonHeight;
        }
        button->setGeometry(x, y, w, kButtonHeight);
        x += w;
        m_Buttons->addButton(button, i);
    }
    const int top = y + kButtonHeight + kFrame;

    m_DisplayArea = new QStackedWidget(this);
    m_DisplayArea->setObjectName(QStringLiteral("DisplayArea"));
    m_DisplayArea->setGeometry(kFrame, top, kWidth - 2 * kFrame, kHeight - top - kFrame);
    // The pages leave room for the slider on the right.
    m_DisplayArea->layout()->setContentsMargins(0, 0, 14, 0);

    const QRect area = m_DisplayArea->geometry();
    const int right = area.x() + area.width(), bottom = area.y() + area.height();
    const int sliderTop = area.y() + 12;
    m_Slider = new CZNSliderCtrl(QRect(right - 11, sliderTop, 10, bottom - 14 - sliderTop), this);

    for (int i = 0; i < PAGE_COUNT; ++i) {
        const QString title = QString::fromLatin1(kPages[i].title);
        CZNOptionsPage *page = nullptr;
        if (i == PAGE_SCENE)
            page = m_ScenePage = new CZNScenePage();
        else if (i == PAGE_FACES)
            page = m_FacesPage = new CZNFacesPage();
        else if (i == PAGE_TEXTURES)
            page = m_TexturesPage = new CZNTexturesPage();
        else if (i == PAGE_GENERAL)
            page = m_GeneralPage = new CZNGeneralPage();
        else if (i == PAGE_OVERLAYS)
            page = m_OverlaysPage = new CZNOverlaysPage();
        else if (i == PAGE_PREFABS)
            page = m_PrefabsPage = new CZNPrefabsPage();
        else if (i == PAGE_PRIMITIVES)
            page = m_PrimitivesPage = new CZNPrimitivesPage();
        else if (i == PAGE_ENTITIES)
            page = m_EntitiesPage = new CZNEntitiesPage();
        else
            page = new CZNOptionsPage(title, kPages[i].contentHeight);
        page->Attach(m_DisplayArea, m_Slider);
        m_DisplayArea->addWidget(page);
        m_Pages.push_back(page);
    }
    m_Slider->raise();

    connect(m_Buttons, &QButtonGroup::idClicked, this, &CZNOptionsSheet::SetActivePage);
    connect(
        m_Slider, &CZNSliderCtrl::positionChanged, this,
        [this](int position) {
            if (CZNOptionsPage *page = GetActivePage())
                page->SetScrollOffset(-position);
        },
        Qt::DirectConnection);
    SetActivePage(PAGE_GENERAL);
}

void CZNOptionsSheet::SetActivePage(int index)
{
    if (index < 0 || index >= PAGE_COUNT)
        return;
    m_Buttons->button(index)->setChecked(true);
    m_DisplayArea->setCurrentIndex(index);
    m_Pages[static_cast<size_t>(index)]->Activate();
}

int CZNOptionsSheet::GetActiveIndex() const
{
    return m_DisplayArea->currentIndex();
}

CZNOptionsPage *CZNOptionsSheet::GetActivePage() const
{
    return GetPage(GetActiveIndex());
}

CZNOptionsPage *CZNOptionsSheet::GetPage(int index) const
{
    return index >= 0 && index < PAGE_COUNT ? m_Pages[static_cast<size_t>(index)] : nullptr;
}

QAbstractButton *CZNOptionsSheet::GetTabButton(int index) const
{
    return m_Buttons->button(index);
}

void CZNOptionsSheet::RefreshActivePage()
{
    if (CZNOptionsPage *page = GetActivePage())
        page->RefreshFromSelection();
}

void CZNOptionsSheet::paintEvent(QPaintEvent *)
{
    // A frame around the display area, as a tab control draws around its pages.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(m_DisplayArea->geometry().adjusted(-1, -1, 0, 0));
}
