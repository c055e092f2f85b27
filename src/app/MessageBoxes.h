#pragma once

#include <QList>
#include <QString>
#include <stdexcept>

// Every message box of the program goes through this one interface, so that
// tests can script the answers and no test ever waits on a modal box.

enum class MsgIcon { Information, Warning, Critical, Question };
enum class MsgButtons { Ok, OkCancel };

// Results as the program compares them: 1 OK, 2 Cancel.
constexpr int MsgResultOk = 1;
constexpr int MsgResultCancel = 2;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual int show(MsgIcon icon, const QString &title, const QString &text, MsgButtons buttons) = 0;
};

// Writes to stderr; used until a GUI installs its own (and by the admin tool).
// Questions are answered with Cancel.
class ConsoleMessageBoxes : public MessageBoxes {
public:
    int show(MsgIcon icon, const QString &title, const QString &text, MsgButtons buttons) override;
};

// Records every box and answers questions from a queue (OK when the queue is empty
// unless told otherwise).
class ScriptedMessageBoxes : public MessageBoxes {
public:
    struct Shown {
        MsgIcon icon;
        QString title;
        QString text;
        MsgButtons buttons;
    };
    QList<Shown> shown;
    QList<int> answers;
    int defaultAnswer = MsgResultOk;

    int show(MsgIcon icon, const QString &title, const QString &text, MsgButtons buttons) override;
    void clear() { shown.clear(); answers.clear(); }
};

// Installs the implementation used from now on; the previous one is returned.
// Passing nullptr restores the console implementation. Ownership stays with the caller.
MessageBoxes *setMessageBoxes(MessageBoxes *boxes);
MessageBoxes &messageBoxes();

// RAII: installs a scripted implementation for the lifetime of the object.
class ScopedScriptedMessageBoxes : public ScriptedMessageBoxes {
public:
    ScopedScriptedMessageBoxes() : m_previous(setMessageBoxes(this)) {}
    ~ScopedScriptedMessageBoxes() override { setMessageBoxes(m_previous); }
private:
    MessageBoxes *m_previous;
};

void ShowInfo(const QString &text);
void ShowWarning(const QString &text);
void ShowError(const QString &text);
int AskConfirm(const QString &text);

// The framework's ordinary error kind: a failure that the caller may catch and
// that otherwise reaches the application's default error box.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString &message);
    QString message() const { return m_message; }
private:
    QString m_message;
};

// A database failure; message() is the driver's text.
class SqlError : public AppError {
public:
    using AppError::AppError;
};

// A failed conversion (a date, a number).
class ConvertError : public AppError {
public:
    using AppError::AppError;
};

// Unwinds the caller without any message.
class SilentAbort : public std::exception {
public:
    const char *what() const noexcept override { return "silent abort"; }
};

// The application's default error box: error icon, the application title,
// the failure's message.
void ShowApplicationError(const QString &message);

// Runs fn at a command boundary: AppError (and other std exceptions) reach the
// default error box, SilentAbort ends quietly. Returns true when fn completed.
template <typename Fn>
bool RunCommand(Fn &&fn)
{
    try {
        fn();
        return true;
    } catch (const SilentAbort &) {
    } catch (const AppError &e) {
        ShowApplicationError(e.message());
    } catch (const std::exception &e) {
        ShowApplicationError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
