#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

// The root of every window: the program's colours, the system font and a
// place in the middle of the screen. A QDialog so that most windows can be
// shown modally; list windows are shown non-modal and maximised.
class Tfrm_base_form : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_base_form(QWidget *parent = nullptr);

    static QColor defaultBackground() { return QColor(188, 213, 236); }

    // The font of every window: the system font of the shared state; the
    // designed font where it names none; a font that shows Chinese where the
    // named one is not installed.
    static QFont systemFont();

    // The theme colours handed on by list windows: the window background and
    // the background of the controls.
    void applyThemeColours(const QColor &background, const QColor &controlBackground);
    QColor themeBackground() const;
    QColor themeControlBackground() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void centreOnScreen();

    bool m_placed = false;
};
