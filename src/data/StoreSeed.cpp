#include "data/StoreSeed.h"

#include "app/MessageBoxes.h"
#include "data/Schema.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <iterator>

namespace StoreSeed {

namespace {

// One displayed field of a record table, in the order the forms show it.
struct ShownField {
    const char *code;
    const char *caption;
    int required;
    int easy;
    int newType; // 1 repeat, 2 increment, 3 empty
    const char *note;
};

// Volume records: the first six build the reference number the volume add
// window composes when 件号 is left, so they come first and in that order.
const ShownField kVolumeFields[] = {
    {"AS07", "全宗号", 1, 0, 1, "全宗号，档号的第一段"},
    {"AI01", "年度", 1, 0, 1, "形成年度，四位数字，组成档号"},
    {"AC03", "保管期限", 1, 0, 1, "下拉项的代码（永久Y、定期30年D30、定期10年D10）组成档号"},
    {"AC02", "机构(问题)", 1, 0, 1, "下拉项的代码（如办公室BGS、技术部JSB）组成档号"},
    {"AI02", "件号", 1, 0, 2, "同一全宗号、年度内的顺序号，在档号中左补零到4位；新记录默认在上一条的基础上加一"},
    {"AS14", "档号", 0, 0, 3, "离开件号时自动组成：全宗号-WS·年度-保管期限代码-机构代码-件号，如Z001-WS·2019-Y-JSB-0042"},
    {"AS01", "案卷题名", 1, 1, 3, "案卷的标题，可用快捷录入"},
    {"AS15", "分类号", 0, 0, 1, "科技档案分类号，如JJ-02"},
    {"AC01", "密级", 0, 0, 1, "公开、内部、秘密、机密、绝密"},
    {"AS02", "立卷单位", 0, 1, 1, "整理立卷的部门，可用快捷录入"},
    {"AD01", "起始日期", 0, 0, 3, "卷内文件的最早日期"},
    {"AD02", "终止日期", 0, 0, 3, "卷内文件的最晚日期"},
    {"AI03", "页数", 0, 0, 3, "卷内文件的总页数"},
    {"AS50", "备注", 0, 1, 3, "其他需要说明的情况，可用快捷录入"},
};

const ShownField kDocumentFields[] = {
    {"BI01", "序号", 1, 0, 2, "卷内文件的排列顺序号；新记录默认在上一条的基础上加一"},
    {"BS01", "文件编号", 0, 0, 3, "发文字号或图号，如JSB-2019-0042"},
    {"BS02", "责任者", 0, 1, 1, "形成文件的单位或个人，可用快捷录入"},
    {"BS03", "题名", 1, 1, 3, "文件的标题，可用快捷录入"},
    {"BD01", "日期", 0, 0, 1, "文件的形成日期"},
    {"BC02", "文种", 0, 0, 1, "文件的种类"},
    {"BI02", "页数", 0, 0, 3, "文件的页数"},
    {"BS04", "页号", 0, 0, 3, "文件在卷内的起止页号，如5-12"},
    {"BC01", "密级", 0, 0, 1, "公开、内部、秘密、机密、绝密"},
    {"BC10", "借阅状态", 0, 0, 3, "借阅时自动设为“借出”，归还时设为“正常”；借阅功能按此名称识别，请勿改名"},
    {"BS50", "备注", 0, 1, 3, "其他需要说明的情况，可用快捷录入"},
};

struct CodeEntry {
    const char *name;
    const char *code; // volume lists only
};

struct CodeList {
    const char *field;
    QList<CodeEntry> entries;
};

const QList<CodeEntry> kSecrecy = {
    {"公开", "GK"}, {"内部", "NB"}, {"秘密", "MM"}, {"机密", "JM"}, {"绝密", "JUEM"},
};

QList<CodeList> codeLists()
{
    return {
        {"AC01", kSecrecy},
        {"AC02",
         {{"办公室", "BGS"},
          {"技术部", "JSB"},
          {"工程部", "GCB"},
          {"生产部", "SCB"},
          {"设备部", "SBB"},
          {"质量安全部", "ZAB"},
          {"规划设计部", "GHB"},
          {"物资采购部", "WZB"},
          {"财务部", "CWB"},
          {"人力资源部", "RLB"}}},
        {"AC03", {{"永久", "Y"}, {"定期30年", "D30"}, {"定期10年", "D10"}}},
        {"BC01", kSecrecy},
        {"BC02",
         {{"设计文件", nullptr},
          {"图纸", nullptr},
          {"技术报告", nullptr},
          {"记录表", nullptr},
          {"请示", nullptr},
          {"批复", nullptr},
          {"通知", nullptr},
          {"函", nullptr},
          {"会议纪要", nullptr},
          {"合同", nullptr}}},
        // "正常" first: it is what a new document normally is.
        {"BC10", {{"正常", nullptr}, {"借出", nullptr}}},
    };
}

struct Phrase {
    const char *table;
    const char *field;
    const char *key;
    const char *value;
};

const Phrase kPhrases[] = {
    {"N_A", "AS01", "sgt", "施工图设计文件"},
    {"N_A", "AS01", "cbsj", "初步设计文件"},
    {"N_A", "AS01", "kyb", "可行性研究报告"},
    {"N_A", "AS01", "jgys", "竣工验收文件"},
    {"N_A", "AS02", "bgs", "办公室"},
    {"N_A", "AS02", "jsb", "技术部"},
    {"N_A", "AS02", "gcb", "工程部"},
    {"N_A", "AS02", "das", "档案室"},
    {"N_A", "AS50", "fyj", "复印件，原件存档案馆"},
    {"N_A", "AS50", "ysz", "已数字化，电子文件见附件"},
    {"N_B", "BS02", "sjy", "设计研究院"},
    {"N_B", "BS02", "jlgs", "工程监理有限公司"},
    {"N_B", "BS02", "sggs", "建设工程有限公司"},
    {"N_B", "BS03", "hyjy", "会议纪要"},
    {"N_B", "BS03", "jsjd", "技术交底记录"},
    {"N_B", "BS03", "ybys", "隐蔽工程验收记录"},
    {"N_B", "BS50", "fyj", "复印件"},
    {"N_B", "BS50", "tz", "含图纸，另存图纸柜"},
};

struct Setting {
    const char *name;
    const char *value;
};

const Setting kSettings[] = {
    {"SYSFONTNAME", "宋体"},
    {"SYSFONTSIZE", "10"},
    {"N_SYS", "澜图科技档案管理系统V12.0"},
    {"N_MOD", "科技档案管理"},
    {"N_PRINT1", "卷内目录一打印"},
    {"N_PRINT2", "卷内目录二打印"},
    {"N_PRINT3", "案卷封面打印"},
    {"N_PRINT4", "一维码打印"},
    {"N_PRINT5", "二维码打印"},
    {"N_PRINT6", ""},
    {"N_PRINT7", ""},
    {"N_PRINT8", ""},
    {"FTPENABLED", "0"},
    {"FTPHOST", "127.0.0.1"},
    {"FTPPORT", "21"},
    {"FTPUSERNAME", ""},
    {"FTPPASSWORD", ""},
};

struct Step {
    const char *table;
    int no;
    const char *field; // "" = unused step
    const char *type;
};

// Volumes in reference-number order; documents in their order inside the
// volume; the combined view the same, volume first.
const Step kOrder[] = {
    {"N_A", 1, "AS07", "ASC"}, {"N_A", 2, "AI01", "ASC"}, {"N_A", 3, "AI02", "ASC"},
    {"N_A", 4, "AIID", "ASC"}, {"N_A", 5, "", ""},
    {"N_B", 1, "BI01", "ASC"}, {"N_B", 2, "BIID", "ASC"}, {"N_B", 3, "", ""},
    {"N_B", 4, "", ""},        {"N_B", 5, "", ""},
    {"N_AB", 1, "AS07", "ASC"}, {"N_AB", 2, "AI01", "ASC"}, {"N_AB", 3, "AI02", "ASC"},
    {"N_AB", 4, "BI01", "ASC"}, {"N_AB", 5, "BIID", "ASC"},
};

const char *const kTree[] = {"AS07", "AI01", "AC03", "AC02", "AC01"};

const char *const kQueryA[] = {"AS01", "AS14", "AS07", "AI01", "AC02", "AC03", "AS02", "AC01"};
const char *const kQueryB[] = {"BS03", "BS01", "BS02", "BD01", "BC02", "BC01", "BC10", "BS50"};

// Empty texts go in as '' rather than null: readers compare them with ''.
QString txt(const char *s)
{
    const QString r = QString::fromUtf8(s ? s : "");
    return r.isNull() ? QStringLiteral("") : r;
}

void exec(QSqlDatabase &db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db);
    if (!q.prepare(sql))
        throw SqlError(q.lastError().text() + QStringLiteral("\n\r") + sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw SqlError(q.lastError().text() + QStringLiteral("\n\r") + sql);
}

QString typeWord(const QString &code)
{
    switch (code.at(1).unicode()) {
    case 'S': return code.endsWith(QLatin1String("50")) ? QStringLiteral("长文本") : QStringLiteral("文本");
    case 'I': return QStringLiteral("整数");
    case 'F': return QStringLiteral("数值");
    case 'C': return QStringLiteral("代码");
    case 'D': return QStringLiteral("日期");
    }
    return {};
}

// What the field settings window shows beside every field: how values of
// this type are entered and searched.
QString typeNote(const QString &code)
{
    switch (code.at(1).unicode()) {
    case 'S':
        return code.endsWith(QLatin1String("50"))
                   ? QStringLiteral("长文本，最多250个字，在增加修改窗口中占三行")
                   : QStringLiteral("文本，最多50个字，查询时按包含查找");
    case 'I': return QStringLiteral("整数，只能填数字，查询时按等于查找");
    case 'F': return QStringLiteral("数值，可带小数，表格底部显示合计");
    case 'C':
        return QStringLiteral("代码，从下拉列表选择，列表内容在“设置选择下拉字段内容”中维护（表N_%1）").arg(code);
    case 'D': return QStringLiteral("日期，格式yyyy-mm-dd，查询时可给起止日期");
    }
    return {};
}

void fillFields(QSqlDatabase &db, const QString &table, QChar letter, const ShownField *shown, int shownCount)
{
    const QString sql = QStringLiteral(
        "insert into S_FIELD(STABLE,SFIELD,SFIELDNAME,SFIELDNAME1,SFIELDTYPE,INO,IDISPLAY,INOTNULL,IEASY,INEWTYPE,SREMARK)"
        " values(?,?,?,?,?,?,?,?,?,?,?)");
    QSet<QString> done;
    int no = 0;
    auto insert = [&](const QString &code, const QString &caption, int display, int required, int easy, int newType,
                      const QString &note) {
        const QString internal = typeWord(code) + QStringLiteral("型字段") + code.mid(2);
        const QString remark = note.isEmpty() ? typeNote(code) : note + QStringLiteral("；") + typeNote(code);
        exec(db, sql,
             {table, code, internal, caption, QString(code.at(1)), ++no, display, required, easy, newType, remark});
        done.insert(code);
    };
    for (int i = 0; i < shownCount; ++i) {
        const ShownField &f = shown[i];
        insert(QLatin1String(f.code), txt(f.caption), 1, f.required, f.easy, f.newType,
               txt(f.note));
    }
    // Hidden fields keep neutral captions until an administrator gives them a meaning.
    for (const QString &code : Schema::fieldCodes(letter)) {
        if (done.contains(code))
            continue;
        insert(code, typeWord(code) + QStringLiteral("字段") + code, 0, 0, 0, 3, QString());
    }
}

void fillCodeLists(QSqlDatabase &db)
{
    for (const CodeList &list : codeLists()) {
        const QString f = QLatin1String(list.field);
        const bool withCode = f.startsWith(QLatin1Char('A'));
        const QString sql = withCode
            ? QStringLiteral("insert into N_%1(%1NAME,%1ORDER,%1CODE) values(?,?,?)").arg(f)
            : QStringLiteral("insert into N_%1(%1NAME,%1ORDER) values(?,?)").arg(f);
        int order = 0;
        for (const CodeEntry &e : list.entries) {
            QVariantList values{txt(e.name), ++order};
            if (withCode)
                values.append(txt(e.code));
            exec(db, sql, values);
        }
    }
}

void fillUser(QSqlDatabase &db)
{
    QStringList cols{QStringLiteral("SUSERID"), QStringLiteral("SUSERNAME"), QStringLiteral("SPASSWORD")};
    QVariantList values{QStringLiteral("0000"), QStringLiteral("系统管理员"), QStringLiteral("")};
    // Every right column, the reserved ones included: the schema is the list.
    for (const ColumnDef &c : Schema::table(QStringLiteral("S_USER"))->columns) {
        if (c.type == ColType::Integer && c.name.startsWith(QLatin1String("IR"))) {
            cols.append(c.name);
            values.append(1);
        }
    }
    QStringList marks;
    for (int i = 0; i < cols.size(); ++i)
        marks.append(QStringLiteral("?"));
    exec(db, QStringLiteral("insert into S_USER(%1) values(%2)").arg(cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
         values);
}

} // namespace

void fill(QSqlDatabase db)
{
    fillFields(db, QStringLiteral("N_A"), QLatin1Char('A'), kVolumeFields, int(std::size(kVolumeFields)));
    fillFields(db, QStringLiteral("N_B"), QLatin1Char('B'), kDocumentFields, int(std::size(kDocumentFields)));
    fillCodeLists(db);

    for (const Phrase &p : kPhrases)
        exec(db, QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values(?,?,?,?)"),
             {QLatin1String(p.table), QLatin1String(p.field), txt(p.key), txt(p.value)});

    for (int i = 0; i < int(std::size(kTree)); ++i)
        exec(db, QStringLiteral("insert into S_TREE(STABLE,INO,SFIELD) values(?,?,?)"),
             {QStringLiteral("N_A"), i + 1, QLatin1String(kTree[i])});

    for (int i = 0; i < 8; ++i) {
        exec(db, QStringLiteral("insert into S_QUERY(STABLE,INO,SFIELD) values(?,?,?)"),
             {QStringLiteral("N_A"), i + 1, QLatin1String(kQueryA[i])});
        exec(db, QStringLiteral("insert into S_QUERY(STABLE,INO,SFIELD) values(?,?,?)"),
             {QStringLiteral("N_B"), i + 1, QLatin1String(kQueryB[i])});
    }

    for (const Step &s : kOrder)
        exec(db, QStringLiteral("insert into S_ORDER(STABLE,INO,SFIELD,STYPE) values(?,?,?,?)"),
             {QLatin1String(s.table), s.no, txt(s.field), txt(s.type)});

    for (const Setting &s : kSettings)
        exec(db, QStringLiteral("insert into S_SET(SNAME,SVALUE) values(?,?)"),
             {QLatin1String(s.name), txt(s.value)});

    fillUser(db);
}

} // namespace StoreSeed
