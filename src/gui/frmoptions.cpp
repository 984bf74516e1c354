#include "gui/frmoptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStorageInfo>
#include <QTreeView>
#include <algorithm>

#include "core/files/filenames.h"
#include "core/files/mounts.h"
#include "core/settings/number.h"
#include "gui/namedwidget.h"
#include "gui/updown.h"

namespace pelmora {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y, int w, int h) {
    auto* label = Named(new QLabel(QString::fromUtf8(text), parent), name, x, y, w, h);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLineEdit* MakeNumberBox(QWidget* parent, const char* name, const char* text, int x, int y, int w,
                         int h) {
    auto* edit = Named(new QLineEdit(QString::fromUtf8(text), parent), name, x, y, w, h);
    edit->setTextMargins(0, 0, 0, 0);
    edit->setAccessibleName(QString::fromLatin1(name));
    return edit;
}

}  // namespace

frmOptions::frmOptions(GlobalSettings& settings, SettingsStore store, QString programFolder,
                       QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      store_(std::move(store)),
      programFolder_(std::move(programFolder)) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("选项设置"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    // The designed 658 x 253 with a margin right of the groups, whose frames
    // would end on the window's last pixel column; below it the groups of
    // the further settings.
    setFixedSize(658 + kRightMargin, 345);
    buildControls();
    opening();
    notifyDirChange_ = true;
}

void frmOptions::buildControls() {
    fraSample1 =
        Named(new QGroupBox(QStringLiteral("相关设置"), this), "fraSample1", 24, 24, 361, 165);
    Frame1 = Named(new QGroupBox(QStringLiteral("目标文件夹"), this), "Frame1", 400, 24, 258, 169);
    Command1 =
        Named(new QPushButton(QStringLiteral("保存设置"), this), "Command1", 424, 200, 73, 41);
    Command2 = Named(new QPushButton(QStringLiteral("取消"), this), "Command2", 520, 200, 73, 41);

    QWidget* g = fraSample1;
    Check2 = Named(new QCheckBox(QStringLiteral("只搜索英文文件名"), g), "Check2", 24, 24, 138, 25);
    Check2->setChecked(true);
    Check1 = Named(new QCheckBox(QStringLiteral("搜索子目录"), g), "Check1", 208, 24, 129, 25);
    MakeLabel(g, "Label1", "提取的最大字数", 24, 64, 105, 17);
    txtMaxword = MakeNumberBox(g, "txtMaxword", "25", 120, 63, 28, 18);
    UpDown1 = Named(new UpDown(txtMaxword, 0, 255, g), "UpDown1", 152, 64, 17, 18);
    MakeLabel(g, "Label7", "字节(中文一字=2字节)", 176, 64, 129, 17);
    MakeLabel(g, "Label3", "提取模式:", 24, 96, 49, 17);

    struct OptionPlace {
        const char* name;
        const char* text;
        int x, y, w, h;
    };
    static const OptionPlace kOptions[5] = {
        {"Option1_0", "标题,第一段", 80, 88, 97, 25}, {"Option1_1", "页眉", 192, 88, 65, 25},
        {"Option1_2", "页脚", 256, 88, 57, 25},       {"Option1_3", "自定义位置", 80, 112, 89, 25},
        {"Option1_4", "自动识别", 80, 137, 88, 25},
    };
    options_ = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        const OptionPlace& p = kOptions[i];
        Option1[i] =
            Named(new QRadioButton(QString::fromUtf8(p.text), g), p.name, p.x, p.y, p.w, p.h);
        options_->addButton(Option1[i], i);
    }
    Option1[0]->setChecked(true);

    MakeLabel(g, "Label2", "第", 168, 120, 17, 17);
    pragraph = MakeNumberBox(g, "pragraph", "1", 184, 120, 20, 18);
    UpDown3 = Named(new UpDown(pragraph, 1, 32767, g), "UpDown3", 208, 120, 17, 18);
    MakeLabel(g, "Label5", "段", 224, 120, 17, 17);
    MakeLabel(g, "Label4", "第", 240, 120, 17, 17);
    startpos = MakeNumberBox(g, "startpos", "1", 256, 120, 20, 18);
    UpDown4 = Named(new UpDown(startpos, 1, 32767, g), "UpDown4", 280, 120, 17, 18);
    MakeLabel(g, "Label6", "字", 304, 120, 25, 17);

    Drive1 = Named(new QComboBox(Frame1), "Drive1", 16, 16, 201, 20);
    for (const QString& root : ReadableMountPoints()) Drive1->addItem(root, root);

    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirModel_->setReadOnly(true);
    dirModel_->setRootPath(QStringLiteral("/"));
    Dir1 = Named(new QTreeView(Frame1), "Dir1", 16, 40, 218, 118);
    Dir1->setModel(dirModel_);
    for (int c = 1; c < dirModel_->columnCount(); ++c) Dir1->hideColumn(c);
    Dir1->setHeaderHidden(true);
    Dir1->setSelectionMode(QAbstractItemView::SingleSelection);
    Dir1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A deep folder is indented past the list's width: the column grows to
    // its names and the list scrolls sideways to the shown folder.
    Dir1->header()->setStretchLastSection(false);
    Dir1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    // The model reads folders in the background: rows that arrive above the
    // shown folder push it out of view, so each folder read on its way brings
    // it back, until the user scrolls or picks another.
    connect(dirModel_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        if (!keepShownInView_ || shownDir_.isEmpty()) return;
        const QString dir = QDir::cleanPath(loaded);
        if (shownDir_ == dir || dir == QLatin1String("/") ||
            shownDir_.startsWith(dir + QLatin1Char('/')))
            scrollToShown();
    });
    for (QScrollBar* bar : {Dir1->verticalScrollBar(), Dir1->horizontalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] { keepShownInView_ = false; });
    connect(Dir1, &QAbstractItemView::pressed, this, [this] { keepShownInView_ = false; });

    connect(Drive1, &QComboBox::activated, this, &frmOptions::driveChosen);
    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid()) return;
                shownDir_ = dirModel_->filePath(current);
                selectDriveFor(shownDir_);
                if (notifyDirChange_) settings_.globalDefaultDir = shownDir_;
            });
    // The designed content: the current folder, without a change notification.
    setDirPath(QDir::currentPath());

    buildMoreControls();

    connect(Command1, &QPushButton::clicked, this, &frmOptions::save);
    connect(Command2, &QPushButton::clicked, this, &frmOptions::reject);

    setTabOrder(Command1, Check2);
    setTabOrder(Check2, Check1);
    setTabOrder(Check1, txtMaxword);
    setTabOrder(txtMaxword, Option1[0]);
    setTabOrder(Option1[0], Option1[1]);
    setTabOrder(Option1[1], Option1[2]);
    setTabOrder(Option1[2], Option1[3]);
    setTabOrder(Option1[3], Option1[4]);
    setTabOrder(Option1[4], pragraph);
    setTabOrder(pragraph, startpos);
    QWidget* previous = startpos;
    for (QWidget* w : QList<QWidget*>{chkKinds.begin(), chkKinds.end()} +
                          QList<QWidget*>{chkReplace, chkKeepBlanks, chkNumber}) {
        setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(previous, Drive1);
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, Command2);
    Command1->setDefault(true);
    Command1->setFocus();
}

void frmOptions::buildMoreControls() {
    fraKinds =
        Named(new QGroupBox(QStringLiteral("列出的文件类型"), this), "fraKinds", 24, 252, 361, 81);
    const QStringList& kinds = DocumentExtensions();
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QString name = QStringLiteral("chkKind") + kinds[i].mid(1);
        auto* box = new QCheckBox(kinds[i], fraKinds);
        Named(box, name.toLatin1().constData(), 16 + int(i % 4) * 84, 18 + int(i / 4) * 20, 80, 20);
        chkKinds << box;
        connect(box, &QCheckBox::toggled, this, [this, box](bool on) {
            if (on) return;
            for (const QCheckBox* other : chkKinds)
                if (other->isChecked()) return;
            const QSignalBlocker blocker(box);
            box->setChecked(true);  // nothing listed would make every folder empty
        });
    }

    fraNames =
        Named(new QGroupBox(QStringLiteral("标题与文件名"), this), "fraNames", 400, 252, 258, 81);
    chkReplace = Named(new QCheckBox(QStringLiteral("替换非法字符"), fraNames), "chkReplace", 16,
                       16, 226, 20);
    chkReplace->setToolTip(
        QStringLiteral("标题中的 / \\ : * ? \" < > | 换成全角的 ／ ＼ ： ＊ ？ ＂ ＜ ＞ ｜"));
    chkKeepBlanks = Named(new QCheckBox(QStringLiteral("保留英文单词间的空格"), fraNames),
                          "chkKeepBlanks", 16, 36, 226, 20);
    chkKeepBlanks->setToolTip(QStringLiteral("英文单词之间保留一个空格,如 Annual Report"));
    chkNumber = Named(new QCheckBox(QStringLiteral("重名时自动编号"), fraNames), "chkNumber", 16,
                      56, 226, 20);
    chkNumber->setToolTip(
        QStringLiteral("改名后会与其他文件同名时不再询问,直接加上编号,如“会议纪要(2).doc”"));
    showMoreSettings();
}

// The further settings come from their own file, which always reads.
void frmOptions::showMoreSettings() {
    chkReplace->setChecked(settings_.globalReplaceIllegal);
    chkKeepBlanks->setChecked(settings_.globalKeepBlanks);
    chkNumber->setChecked(settings_.globalNumberDuplicates);
    const QStringList& kinds = DocumentExtensions();
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QSignalBlocker blocker(chkKinds[i]);
        chkKinds[i]->setChecked(settings_.globalKinds.contains(kinds[i]));
    }
}

void frmOptions::opening() {
    const bool read = store_.read(settings_);
    showMoreSettings();
    if (!read) return;  // the designed content stays
    Check1->setChecked(settings_.globalSubdir);
    Check2->setChecked(settings_.globalOnlyenglish);
    txtMaxword->setText(FormatSettingNumber(settings_.globalMaxword));
    selectOption(settings_.globalGetTitleMode);
    pragraph->setText(FormatSettingNumber(settings_.globalStartpragraph));
    startpos->setText(FormatSettingNumber(settings_.globalStartpos));

    notifyDirChange_ = true;
    const QString& dir = settings_.globalDefaultDir;
    if (!dir.isEmpty() && QFileInfo(dir).isDir()) {
        setDirPath(dir);
        return;
    }
    // An empty or vanished folder: the program's folder is shown and taken,
    // also when the list already showed it.
    setDirPath(programFolder_);
    settings_.globalDefaultDir = dirPath();
}

void frmOptions::selectOption(int index) {
    if (index >= 0 && index < 5) {
        Option1[index]->setChecked(true);
        return;
    }
    // A title mode without a button (hand-edited file): none selected.
    options_->setExclusive(false);
    for (QRadioButton* b : Option1) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
    options_->setExclusive(true);
}

void frmOptions::save() {
    settings_.globalSubdir = Check1->isChecked();
    settings_.globalOnlyenglish = Check2->isChecked();
    // Numbers beyond the 16-bit range keep the nearest limit.
    settings_.globalMaxword = ParseSettingNumber(txtMaxword->text()).value;
    for (int i = 0; i < 5; ++i) {
        if (Option1[i]->isChecked()) settings_.globalGetTitleMode = int16_t(i);
    }
    settings_.globalStartpragraph = ParseSettingNumber(pragraph->text()).value;
    settings_.globalStartpos = ParseSettingNumber(startpos->text()).value;
    settings_.globalDefaultDir = dirPath();
    settings_.globalReplaceIllegal = chkReplace->isChecked();
    settings_.globalKeepBlanks = chkKeepBlanks->isChecked();
    settings_.globalNumberDuplicates = chkNumber->isChecked();
    QStringList kinds;
    for (qsizetype i = 0; i < chkKinds.size(); ++i)
        if (chkKinds[i]->isChecked()) kinds << DocumentExtensions()[i];
    settings_.globalKinds = kinds;
    store_.write(settings_);
    accept();
}

QString frmOptions::dirPath() const { return shownDir_; }

void frmOptions::setDirPath(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    QModelIndex index = dirModel_->index(clean);
    if (!index.isValid() && QFileInfo(clean).isDir() && !(dirModel_->filter() & QDir::Hidden)) {
        // A folder inside a hidden one: show hidden folders too.
        dirModel_->setFilter(dirModel_->filter() | QDir::Hidden);
        index = dirModel_->index(clean);
    }
    if (!index.isValid()) return;
    keepShownInView_ = true;
    if (Dir1->currentIndex() == index) {
        scrollToShown();
        return;
    }
    Dir1->setCurrentIndex(index);  // raises the change when notifications are on
    Dir1->expand(index);
    scrollToShown();
}

void frmOptions::scrollToShown() {
    const QModelIndex index = Dir1->currentIndex();
    if (!index.isValid()) return;
    Dir1->scrollTo(index, QAbstractItemView::PositionAtCenter);
    // Sideways too: the folder's name from its start, its parent's mark left of it.
    const QRect item = Dir1->visualRect(index);
    const QRect view = Dir1->viewport()->rect();
    if (item.left() < 0 || item.left() + std::min(item.width(), view.width()) > view.right()) {
        QScrollBar* bar = Dir1->horizontalScrollBar();
        bar->setValue(bar->value() + item.left() - 2 * Dir1->indentation());
    }
}

void frmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    scrollToShown();  // the list has its real size only now
}

void frmOptions::selectDriveFor(const QString& path) {
    // The deepest listed mount point that holds the folder.
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < Drive1->count(); ++i) {
        const QString root = Drive1->itemData(i).toString();
        const bool holds =
            root == QLatin1String("/") || path == root || path.startsWith(root + QLatin1Char('/'));
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0) {
        const QSignalBlocker blocker(Drive1);
        Drive1->setCurrentIndex(best);
    }
}

void frmOptions::driveChosen(int index) {
    if (index < 0) return;
    setDirPath(Drive1->itemData(index).toString());
}

}  // namespace pelmora
