#include "ui/entities_page.h"

#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"
#include "editor/selection_band.h"
#include "ui/entity_plugin_host.h"

namespace
{
constexpr int kContentHeight = 485;

CZNEntityPluginManager *Plugins()
{
    return GetEditorApp()->GetEntityPluginManager();
}

ENTITYPLUGINRECORD *ActiveRecord()
{
    return Plugins()->GetPlugin(Plugins()->GetActivePlugin());
}
} // namespace

CZNEntitiesPage::CZNEntitiesPage(QWidget *parent) : CZNPluginPage(QStringLiteral("Entities"), kContentHeight, parent) {}

void CZNEntitiesPage::OnSetActive()
{
    CZNPluginPage::OnSetActive();
    HandOverEntityData();
}

void CZNEntitiesPage::RefreshFromSelection()
{
    HandOverEntityData();
}

void CZNEntitiesPage::HandOverEntityData()
{
    ENTITYPLUGINRECORD *record = ActiveRecord();
    if (!record)
        return;
    CZNCONTAINER *blocks =
        GetEditorApp()->GetSelectionBand()->GetSelectedEntitiesOfPlugin(Plugins()->GetActivePlugin());
    if (!blocks)
        return;
    if (record->SetDataPointer)
        record->SetDataPointer(blocks);
    if (record->DataUpdated)
        record->DataUpdated();
}

void CZNEntitiesPage::FillComboBox(IZNComboBox *combo)
{
    Plugins()->FillComboBox(combo);
}

CZNPluginPage::ZNPLUGINTEXTS CZNEntitiesPage::GetActiveTexts()
{
    ZNPLUGINTEXTS texts;
    if (const ENTITYPLUGINRECORD *record = ActiveRecord()) {
        texts.name = record->Info.TypeName;
        texts.description = record->Info.Description;
        texts.bitmap = record->Info.Bitmap;
        texts.file = record->FileName;
    }
    return texts;
}

void CZNEntitiesPage::SetActivePlugin(int index)
{
    Plugins()->SetActivePlugin(index);
}

PFNCREATECONTROLS CZNEntitiesPage::GetCreateControls()
{
    return ActiveRecord() ? Plugins()->m_CreateControls : nullptr;
}

PFNDESTROYCONTROLS CZNEntitiesPage::GetDestroyControls()
{
    return ActiveRecord() ? Plugins()->m_DestroyControls : nullptr;
}

CZNPluginHost *CZNEntitiesPage::NewHost(QWidget *parent)
{
    return new CZNEntityPluginHost(parent);
}

void CZNEntitiesPage::AfterHostCreated()
{
    HandOverEntityData();
}
