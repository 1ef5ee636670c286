#pragma once

// CZNEntitiesPage: the options panel's Entities page. It chooses the active entity plug-in, the
// type a placement click places, and hosts its controls. The hand-over gives the active
// plug-in its container filled with the blocks of the selected entities of its type, or its
// template's block when none is selected (SetDataPointer, then DataUpdated): at initialisation,
// after a change of plug-in, at every activation and at every refresh while the page is active.
// Without an active plug-in there is no hand-over.
#include "ui/plugin_page.h"

class CZNEntitiesPage : public CZNPluginPage
{
    Q_OBJECT

public:
    explicit CZNEntitiesPage(QWidget *parent = nullptr);

    void OnSetActive() override;
    void RefreshFromSelection() override;
    void HandOverEntityData();

protected:
    void FillComboBox(IZNComboBox *combo) override;
    ZNPLUGINTEXTS GetActiveTexts() override;
    void SetActivePlugin(int index) override;
    PFNCREATECONTROLS GetCreateControls() override;
    PFNDESTROYCONTROLS GetDestroyControls() override;
    CZNPluginHost *NewHost(QWidget *parent) override;
    void AfterHostCreated() override;
};
