#pragma once

#include "app/GridThemes.h"
#include "app/base_form.h"

#include <QFont>
#include <QPointer>

#include <array>
#include <functional>
#include <optional>

class ColourHolder;
class DbGrid;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

// "设置主题字体与颜色": the theme, fonts, title height and styles of a list
// window's grid, its three theme colours and the system font. Works on the
// caller's grid and holders directly; "取消" leaves them as they were.
class Tfrm_sys_uiset : public Tfrm_base_form {
    Q_OBJECT
public:
    enum FontField { TitleFont, CellFont, SystemFont, FontFieldCount };

    // The colour picked starting from current; an invalid colour: cancelled.
    using ColourChooser = std::function<QColor(const QColor &current, QWidget *parent)>;
    // The font picked starting from current; nothing: cancelled.
    using FontChooser = std::function<std::optional<QFont>(const QFont &current, QWidget *parent)>;

    Tfrm_sys_uiset(DbGrid *grid, ColourHolder *selected, ColourHolder *control, ColourHolder *window,
                   QWidget *parent = nullptr);

    // Shows the dialog modally; true when "确定" applied the choices.
    static bool Execute(DbGrid *grid, ColourHolder *selected, ColourHolder *control, ColourHolder *window,
                        QWidget *parent);

    // The system's colour and font dialogs by default.
    void setColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }
    void setFontChooser(FontChooser chooser) { m_chooseFont = std::move(chooser); }

    // The fields as they stand.
    QColor colour(GridThemes::Colour which) const { return m_colours[which]; }
    QFont fieldFont(FontField which) const { return m_fonts[which]; }

    // A font as its field shows it: name, "_", size in points.
    static QString fontText(const QFont &font);
    static int fontPoints(const QFont &font);

private:
    void buildUi();
    void load();
    void themeChosen(int index);
    void pickColour(GridThemes::Colour which);
    void pickFont(FontField which);
    void setColourField(GridThemes::Colour which, const QColor &colour);
    void setFontField(FontField which, const QFont &font);
    void confirm();
    bool storeSystemFont(const QString &name, int points);
    void applyToCaller(int titleHeight);

    QPointer<DbGrid> m_grid;
    QPointer<ColourHolder> m_selected;
    QPointer<ColourHolder> m_control;
    QPointer<ColourHolder> m_window;

    std::array<QColor, GridThemes::ColourCount> m_colours;
    std::array<QLineEdit *, GridThemes::ColourCount> m_colourEdits{};
    std::array<QFont, FontFieldCount> m_fonts;
    std::array<QLineEdit *, FontFieldCount> m_fontEdits{};

    QComboBox *m_cbbTheme = nullptr;
    QCheckBox *m_chkFlat = nullptr;
    QCheckBox *m_chkTitle3D = nullptr;
    QCheckBox *m_chkRecNo = nullptr;
    QCheckBox *m_chkSumRow = nullptr;
    QSpinBox *m_spnTitleHeight = nullptr;

    ColourChooser m_chooseColour;
    FontChooser m_chooseFont;
};
