#include "app/MessageBoxes.h"

#include "data/SharedState.h"

#include <cstdio>

namespace {
ConsoleMessageBoxes g_console;
MessageBoxes *g_current = &g_console;
}

int ConsoleMessageBoxes::show(MsgIcon, const QString &title, const QString &text, MsgButtons buttons)
{
    std::fprintf(stderr, "[%s] %s\n", title.toLocal8Bit().constData(), text.toLocal8Bit().constData());
    return buttons == MsgButtons::Ok ? MsgResultOk : MsgResultCancel;
}

int ScriptedMessageBoxes::show(MsgIcon icon, const QString &title, const QString &text, MsgButtons buttons)
{
    shown.append({icon, title, text, buttons});
    if (buttons == MsgButtons::Ok)
        return MsgResultOk;
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

MessageBoxes *setMessageBoxes(MessageBoxes *boxes)
{
    MessageBoxes *previous = g_current;
    g_current = boxes ? boxes : &g_console;
    return previous;
}

MessageBoxes &messageBoxes()
{
    return *g_current;
}

void ShowInfo(const QString &text)
{
    messageBoxes().show(MsgIcon::Information, QStringLiteral("提示"), text, MsgButtons::Ok);
}

void ShowWarning(const QString &text)
{
    messageBoxes().show(MsgIcon::Warning, QStringLiteral("警告"), text, MsgButtons::Ok);
}

void ShowError(const QString &text)
{
    messageBoxes().show(MsgIcon::Critical, QStringLiteral("错误"), text, MsgButtons::Ok);
}

int AskConfirm(const QString &text)
{
    const int r = messageBoxes().show(MsgIcon::Question, QStringLiteral("确认"), text, MsgButtons::OkCancel);
    return r == MsgResultOk ? MsgResultOk : MsgResultCancel;
}

AppError::AppError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

void ShowApplicationError(const QString &message)
{
    // The application title is the system title once the data module has read it.
    messageBoxes().show(MsgIcon::Critical, shared().sysTitle, message, MsgButtons::Ok);
}
