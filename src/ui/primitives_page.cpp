#include "ui/primitives_page.h"

#include "app/editor_app.h"
#include "app/primitive_plugin_manager.h"
#include "ui/primitive_plugin_host.h"

namespace
{
constexpr int kContentHeight = 485;

CZNPrimitivePluginManager *Plugins()
{
    return GetEditorApp()->GetPrimitivePluginManager();
}
} // namespace

CZNPrimitivesPage::CZNPrimitivesPage(QWidget *parent)
    : CZNPluginPage(QStringLiteral("Primitives"), kContentHeight, parent)
{
}

void CZNPrimitivesPage::FillComboBox(IZNComboBox *combo)
{
    Plugins()->FillComboBox(combo);
}

CZNPluginPage::ZNPLUGINTEXTS CZNPrimitivesPage::GetActiveTexts()
{
    ZNPLUGINTEXTS texts;
    if (const PRIMITIVEPLUGINRECORD *record = Plugins()->GetPlugin(Plugins()->GetActivePlugin())) {
        texts.name = record->Info.Name;
        texts.description = record->Info.Description;
        texts.bitmap = record->Info.Bitmap;
        texts.file = record->FileName;
    }
    return texts;
}

void CZNPrimitivesPage::SetActivePlugin(int index)
{
    Plugins()->SetActivePlugin(index);
}

PFNCREATECONTROLS CZNPrimitivesPage::GetCreateControls()
{
    return Plugins()->GetPlugin(Plugins()->GetActivePlugin()) ? Plugins()->m_CreateControls : nullptr;
}

PFNDESTROYCONTROLS CZNPrimitivesPage::GetDestroyControls()
{
    return Plugins()->GetPlugin(Plugins()->GetActivePlugin()) ? Plugins()->m_DestroyControls : nullptr;
}

CZNPluginHost *CZNPrimitivesPage::NewHost(QWidget *parent)
{
    return new CZNPrimitivePluginHost(parent);
}
