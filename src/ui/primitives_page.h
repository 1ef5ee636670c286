#pragma once

// CZNPrimitivesPage: the options panel's Primitives page. It chooses the active primitive
// plug-in, the one whose primitive a placement click builds, and hosts its controls.
#include "ui/plugin_page.h"

class CZNPrimitivesPage : public CZNPluginPage
{
    Q_OBJECT

public:
    explicit CZNPrimitivesPage(QWidget *parent = nullptr);

protected:
    void FillComboBox(IZNComboBox *combo) override;
    ZNPLUGINTEXTS GetActiveTexts() override;
    void SetActivePlugin(int index) override;
    PFNCREATECONTROLS GetCreateControls() override;
    PFNDESTROYCONTROLS GetDestroyControls() override;
    CZNPluginHost *NewHost(QWidget *parent) override;
};
