// Plug-ins with controls for the host and page tests, recording every control call. Built as a
// primitive ("Tall", or ZN_TEST_NAME) or, with ZN_TEST_ENTITY, as a light entity ("Recorder", type 0x10, with the
// light's 144-byte block). CreateControls makes one button (id 7) at the top of controls
// ZN_TEST_HEIGHT pixels tall, in a widget class of the plug-in's own whose handlers are lambdas;
// the button's click goes to the host as BN_CLICKED. The entity's Command writes g_WriteValue
// to the range (byte 116) of every block handed to it and sets the redraw flag to g_SetRedraw.
// ZN_TEST_BITMAP names the picture.
#include <QPushButton>
#include <QWidget>

#include <cstring>

#include "platform/export.h"
#include "scene/container.h"
#include "sdk/host_api.h"
#ifdef ZN_TEST_ENTITY
#include "sdk/entity_plugin.h"
#else
#include "sdk/primitive_plugin.h"
#endif

#ifndef ZN_TEST_HEIGHT
#define ZN_TEST_HEIGHT 600
#endif
#ifndef ZN_TEST_BITMAP
#define ZN_TEST_BITMAP nullptr
#endif
#ifndef ZN_TEST_NAME
#define ZN_TEST_NAME "Tall"
#endif

namespace
{
constexpr WORD kButtonId = 7;

// The plug-in's own widget: a panel holding the button, wired with lambdas.
class ProbePanel : public QWidget
{
public:
    explicit ProbePanel(QWidget *host) : QWidget(host), m_Button(new QPushButton(QStringLiteral("Probe"), this))
    {
        setObjectName(QStringLiteral("ProbePanel"));
        setGeometry(0, 0, host->width(), ZN_TEST_HEIGHT);
        m_Button->setObjectName(QStringLiteral("ProbeButton"));
        m_Button->setGeometry(4, 4, 80, 22);
        QObject::connect(m_Button, &QPushButton::clicked, this, [this] {
            TOVRA_HostCommand(m_Button, MAKEWPARAM(kButtonId, BN_CLICKED), reinterpret_cast<LPARAM>(m_Button));
        });
    }

private:
    QPushButton *m_Button;
};

#ifdef ZN_TEST_ENTITY
CZNCONTAINER *g_Blocks = nullptr;
#endif
} // namespace

extern "C" {

// What the plug-in has seen; read and set by the tests through their own handle on the library.
ZN_API int g_CreateCalls = 0;
ZN_API int g_DestroyCalls = 0;
ZN_API int g_CommandCalls = 0;
ZN_API int g_DataUpdatedCalls = 0;
ZN_API WPARAM g_LastWParam = 0;
ZN_API LPARAM g_LastLParam = 0;
ZN_API QWidget *g_LastHost = nullptr;
ZN_API int32_t g_SetRedraw = 0;
ZN_API float g_WriteValue = 0.0f;
ZN_API uint32_t g_BlocksAtCommand = 0;

ZN_API int32_t CreateControls(QWidget *host, void *, CZNFont *)
{
    ++g_CreateCalls;
    g_LastHost = host;
    new ProbePanel(host);
    return ZN_TEST_HEIGHT;
}

ZN_API void DestroyControls()
{
    ++g_DestroyCalls;
}

#ifdef ZN_TEST_ENTITY
ZN_API uint32_t InitEntityPlugin(void *)
{
    return ZN_ENTITY_PLUGIN_VERSION;
}

ZN_API void GetEntityPluginInfo(ENTITYPLUGININFO *info)
{
    info->BlockSize = 144;
    info->DataSize = 144;
    info->TypeName = "Recorder";
    info->VendorIdLength = 0;
    info->VendorId = nullptr;
    info->TypeId = 0x10;
    info->Bitmap = ZN_TEST_BITMAP;
    info->Description = "Records its controls' calls.";
}

ZN_API void SetDataPointer(CZNCONTAINER *blocks)
{
    g_Blocks = blocks;
}

// A point light of range 100.
ZN_API void SetDefaultData(void *data)
{
    const float range = 100.0f;
    std::memcpy(static_cast<char *>(data) + 116, &range, sizeof(range));
}

ZN_API void DataUpdated()
{
    ++g_DataUpdatedCalls;
}

ZN_API int32_t Command(WPARAM wParam, LPARAM lParam, int32_t *redraw)
{
    ++g_CommandCalls;
    g_LastWParam = wParam;
    g_LastLParam = lParam;
    g_BlocksAtCommand = g_Blocks ? g_Blocks->GetElementCount() : 0;
    for (DWORD i = 0; g_Blocks && i < g_Blocks->GetElementCount(); ++i)
        std::memcpy(static_cast<char *>(g_Blocks->GetElement(i)) + 116, &g_WriteValue, sizeof(g_WriteValue));
    *redraw = g_SetRedraw;
    return 5;
}
#else
ZN_API uint32_t InitPrimitivePlugin()
{
    return ZN_PRIMITIVE_PLUGIN_VERSION;
}

ZN_API void GetPrimitivePluginInfo(PRIMITIVEPLUGININFO *info)
{
    info->Name = ZN_TEST_NAME;
    info->Bitmap = ZN_TEST_BITMAP;
    info->Description = "Controls taller than the host.";
}

ZN_API ZNBRUSH *BuildBrush(D3DXVECTOR3, float, float, float)
{
    return AllocNewBrush();
}

ZN_API int32_t Command(WPARAM wParam, LPARAM lParam)
{
    ++g_CommandCalls;
    g_LastWParam = wParam;
    g_LastLParam = lParam;
    return 3;
}
#endif
}
