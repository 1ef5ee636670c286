#include "platform/os/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <map>
#include <mutex>

namespace
{

// Registered formats take ids from 0xC000 up, one per name, for the life of the process.
constexpr UINT kFirstFormat = 0xC000;

std::mutex g_FormatLock;
std::map<std::string, UINT> &FormatIds()
{
    static std::map<std::string, UINT> ids;
    return ids;
}

IZNClipboard *g_Clipboard = nullptr;

// The Qt clipboard; null without a GUI application object.
QClipboard *QtClipboard()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

QString MimeName(UINT format)
{
    return QString::fromStdString(CZNSystemClipboard::FormatName(format));
}

} // namespace

UINT CZNSystemClipboard::RegisterFormat(const char *name)
{
    std::lock_guard<std::mutex> lock(g_FormatLock);
    std::map<std::string, UINT> &ids = FormatIds();
    const std::string key = name ? name : "";
    const auto found = ids.find(key);
    if (found != ids.end())
        return found->second;
    const UINT id = kFirstFormat + static_cast<UINT>(ids.size());
    ids.emplace(key, id);
    return id;
}

std::string CZNSystemClipboard::FormatName(UINT format)
{
    std::lock_guard<std::mutex> lock(g_FormatLock);
    for (const auto &[name, id] : FormatIds())
        if (id == format)
            return name;
    return std::string();
}

bool CZNSystemClipboard::IsFormatAvailable(UINT format)
{
    QClipboard *clipboard = QtClipboard();
    const QString name = MimeName(format);
    if (!clipboard || name.isEmpty())
        return false;
    const QMimeData *mime = clipboard->mimeData();
    return mime && mime->hasFormat(name);
}

bool CZNSystemClipboard::Open()
{
    if (m_Open || !QtClipboard())
        return false;
    m_Open = true;
    return true;
}

bool CZNSystemClipboard::Empty()
{
    QClipboard *clipboard = QtClipboard();
    if (!m_Open || !clipboard)
        return false;
    clipboard->clear();
    return true;
}

bool CZNSystemClipboard::SetData(UINT format, const std::vector<BYTE> &data)
{
    QClipboard *clipboard = QtClipboard();
    const QString name = MimeName(format);
    if (!m_Open || !clipboard || name.isEmpty())
        return false;
    // Formats set before (since the last Empty) stay beside the new one.
    auto *mime = new QMimeData;
    if (const QMimeData *current = clipboard->mimeData())
        for (const QString &other : current->formats())
            if (other != name)
                mime->setData(other, current->data(other));
    mime->setData(name, QByteArray(reinterpret_cast<const char *>(data.data()), static_cast<qsizetype>(data.size())));
    clipboard->setMimeData(mime);
    return true;
}

bool CZNSystemClipboard::GetData(UINT format, std::vector<BYTE> *data)
{
    QClipboard *clipboard = QtClipboard();
    const QString name = MimeName(format);
    if (!m_Open || !clipboard || name.isEmpty() || !data)
        return false;
    const QMimeData *mime = clipboard->mimeData();
    if (!mime || !mime->hasFormat(name))
        return false;
    const QByteArray bytes = mime->data(name);
    data->assign(reinterpret_cast<const BYTE *>(bytes.constData()),
                 reinterpret_cast<const BYTE *>(bytes.constData()) + bytes.size());
    return true;
}

void CZNSystemClipboard::Close()
{
    m_Open = false;
}

IZNClipboard *GetClipboard()
{
    static CZNSystemClipboard system;
    return g_Clipboard ? g_Clipboard : &system;
}

void SetClipboard(IZNClipboard *clipboard)
{
    g_Clipboard = clipboard;
}
