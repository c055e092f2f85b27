#pragma once

#include "app/base_form.h"

class QTextBrowser;

// Fixed instructions for backing up and restoring the program's data.
class Tfrm_sys_bakdoc : public Tfrm_base_form {
    Q_OBJECT
public:
    explicit Tfrm_sys_bakdoc(QWidget *parent = nullptr);

    // The instructions for the running edition and application folder.
    static QString instructions();
    static void Execute(const QColor &windowColour, const QColor &controlColour, QWidget *parent);

private:
    QTextBrowser *m_text;
};
