#pragma once

// CZNPluginPage: what the Primitives and Entities pages share. A combo box lists the loaded
// plug-ins (drop-down list up to 420 pixels); below it the active plug-in's picture, name and
// credit line (its description, wrapped), and the host window in which the plug-in makes its
// controls, in a sunken frame at (5, 239)-(136, 479), with its own slider at (139, 239)-(149, 479)
// to scroll them. Choosing a row, the same one again included, calls the active plug-in's
// DestroyControls, makes the chosen plug-in active and builds the host again one pixel higher,
// so that the plug-in makes its controls afresh.
//
// The picture is Resources/<bitmap name>.png beside the plug-in's library; without a name, or
// when that file does not load, the program's own Resources/bitmap155.png.
#include <QPixmap>

#include "sdk/plugin_types.h"
#include "ui/options_page.h"

class CZNPluginHost;
class CZNSliderCtrl;
class IZNComboBox;
class QComboBox;
class QFrame;
class QLabel;

class CZNPluginPage : public CZNOptionsPage
{
    Q_OBJECT

public:
    ~CZNPluginPage() override;

    // Fills the list, shows the active plug-in and creates the host and its slider.
    void OnInitDialog() override;
    // The row chosen in the list (CBN_SELCHANGE).
    void OnSelChange(int row);
    // The host slider moved: the host's content scrolls to minus its position.
    void OnHostScroll(int position);

    QComboBox *GetCombo() const { return m_Combo; }
    QLabel *GetBitmapLabel() const { return m_Bitmap; }
    QLabel *GetNameLabel() const { return m_Name; }
    QLabel *GetCreditLabel() const { return m_Credit; }
    QFrame *GetHostFrame() const { return m_HostFrame; }
    // Null before the first activation.
    CZNPluginHost *GetHost() const { return m_Host; }
    CZNSliderCtrl *GetHostSlider() const { return m_HostSlider; }
    int GetHostOffset() const { return m_HostOffset; }

    // The picture for a plug-in loaded from file with that bitmap name (null for none).
    static QPixmap LoadPluginBitmap(const char *file, const char *name);

protected:
    CZNPluginPage(const QString &title, int contentHeight, QWidget *parent);

    // What the page shows of the active plug-in; all null when none is active.
    struct ZNPLUGINTEXTS {
        const char *name = nullptr;
        const char *description = nullptr;
        ZNPLUGINBITMAP bitmap = nullptr;
        const char *file = nullptr;
    };
    virtual void FillComboBox(IZNComboBox *combo) = 0;
    virtual ZNPLUGINTEXTS GetActiveTexts() = 0;
    virtual void SetActivePlugin(int index) = 0;
    virtual PFNCREATECONTROLS GetCreateControls() = 0;
    virtual PFNDESTROYCONTROLS GetDestroyControls() = 0;
    virtual CZNPluginHost *NewHost(QWidget *parent) = 0;
    // After the host is made at initialisation and after a change of plug-in.
    virtual void AfterHostCreated() {}

private:
    // Picture, name and credit line of the active plug-in.
    void ShowActivePlugin();
    // A new host in the frame moved to rect; the plug-in makes its controls and the host slider
    // covers them.
    void CreateHost(const QRect &rect);

    QComboBox *m_Combo;
    QLabel *m_Bitmap;
    QLabel *m_Name;
    QLabel *m_Credit;
    QFrame *m_HostFrame;
    CZNSliderCtrl *m_HostSlider;
    CZNPluginHost *m_Host = nullptr;
    int m_HostOffset = 0;
};
