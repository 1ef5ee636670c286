#include "ui/options_bar.h"

#include <QTreeWidget>

#include "ui/options_sheet.h"
#include "ui/prefabs_page.h"
#include "ui/scene_page.h"

namespace
{
constexpr int kMargin = 5;
}

CZNOptionsBar::CZNOptionsBar(QWidget *parent) : QDockWidget(QStringLiteral("Options"), parent)
{
    setObjectName(QStringLiteral("Options"));
    setAllowedAreas(Qt::RightDockWidgetArea);
    auto *holder = new QWidget(this);
    holder->setObjectName(QStringLiteral("OptionsHolder"));
    m_Sheet = new CZNOptionsSheet(holder);
    m_Sheet->move(kMargin, kMargin);
    holder->setMinimumWidth(CZNOptionsSheet::kWidth + 2 * kMargin);
    holder->setMinimumHeight(0);
    holder->resize(CZNOptionsSheet::kWidth + 2 * kMargin, CZNOptionsSheet::kHeight + 2 * kMargin);
    setWidget(holder);
}

void CZNOptionsBar::RefreshActivePage()
{
    m_Sheet->RefreshActivePage();
}

void CZNOptionsBar::RebuildSceneTree()
{
    OnActiveScenePage(&CZNScenePage::BuildTree);
}

void CZNOptionsBar::UpdateSceneTree()
{
    OnActiveScenePage(&CZNScenePage::UpdateTree);
}

void CZNOptionsBar::OnActiveScenePage(void (CZNScenePage::*step)())
{
    CZNScenePage *page = m_Sheet->GetScenePage();
    if (m_Sheet->GetActivePage() != page)
        return;
    page->GetTree()->setUpdatesEnabled(false);
    (page->*step)();
    page->GetTree()->setUpdatesEnabled(true);
}

void CZNOptionsBar::RefreshPrefabs()
{
    m_Sheet->GetPrefabsPage()->Refresh();
}
