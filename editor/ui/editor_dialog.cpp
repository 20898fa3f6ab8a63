#include "editor/ui/editor_dialog.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QToolTip>
#include <QUndoStack>
#include <cstdio>
#include <cstdlib>

#include "editor/model/kinds.h"
#include "editor/ui/about_dialog.h"
#include "editor/ui/cp932_limit.h"
#include "editor/ui/design_undo.h"
#include "editor/ui/editor_icon.h"
#include "editor/ui/lorvex_help.h"
#include "platform/cp932.h"
#include "platform/qt/qt_prompter.h"

namespace lorvex {
namespace {

using editor::ObjectKind;

constexpr int kClientWidth = 580;
constexpr int kClientHeight = 512;
constexpr const char* kSaveChangesQuestion = "変更を保存しますか？";
constexpr std::size_t kTitleBytes = 31;
constexpr std::size_t kLabelBytes = 31;
constexpr std::size_t kItemsBytes = 127;
// The selection field of a drop-down list is 25 pixels high whatever its object height.
constexpr int kComboFieldHeight = 25;

const char* const kPreviewFace = "ＭＳ ゴシック";
const char* const kDialogFace = "ＭＳ Ｐゴシック";

QString fromSjis(const std::string& sjis) {
    return QString::fromStdString(platform::toUtf8(sjis));
}

std::string toSjis(const QString& text) {
    return platform::toCp932(text.toStdString());
}

QFont previewFont() {
    QFont font(QString::fromUtf8(kPreviewFace));
    font.setPixelSize(18);
    font.setWeight(QFont::Normal);
    return font;
}

QFont dialogFont() {
    QFont font(QString::fromUtf8(kDialogFace));
    font.setPixelSize(12);
    return font;
}

// A preview control: hidden, disabled, and transparent for the pointer, so the dialog
// receives every pointer event over the preview and does its own hit-testing.
void makePreviewControl(QWidget* w) {
    // Disabled text a shade darker than the style's default, so small Japanese text in
    // the preview stays legible.
    QPalette palette = w->palette();
    const QColor grey(109, 109, 109);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, grey);
    w->setPalette(palette);
    w->setEnabled(false);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    w->setFocusPolicy(Qt::NoFocus);
    w->hide();
}

QRect onScreen(const editor::ScreenRect& r) {
    return QRect(editor::kPreviewOriginX + r.x, editor::kPreviewOriginY + r.y, r.width, r.height);
}

// The preview as the keyboard's target, drawn over the preview controls: the current
// object's outline and the handle at its resize corner, and a dotted frame while it has
// the focus. Pointer input passes through to the dialog, which does the hit-testing.
class PreviewSurface : public QWidget {
  public:
    // Reaches past the preview so that a handle at the screen's edge shows whole.
    static constexpr int kMargin = 12;

    PreviewSurface(QWidget* parent, std::function<std::optional<editor::ObjectBounds>()> current)
        : QWidget(parent), current_(std::move(current)) {
        setObjectName(QStringLiteral("previewSurface"));
        setAccessibleName(QStringLiteral("プレビュー"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::StrongFocus);
        setGeometry(editor::kPreviewOriginX - kMargin, editor::kPreviewOriginY - kMargin,
                    editor::kPreviewSize + 2 * kMargin, editor::kPreviewSize + 2 * kMargin);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor selection = hasFocus() ? palette().color(QPalette::Active, QPalette::Highlight)
                                            : QColor(96, 96, 96);
        if (hasFocus()) {
            painter.setPen(QPen(selection, 1, Qt::DotLine));
            painter.drawRect(kMargin + 2, kMargin + 2, editor::kPreviewSize - 5,
                             editor::kPreviewSize - 5);
        }
        std::optional<editor::ObjectBounds> b = current_();
        if (!b)
            return;
        painter.setPen(QPen(selection, 2, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(kMargin + b->left - 2, kMargin + b->top - 2),
                               QPoint(kMargin + b->right + 1, kMargin + b->bottom + 1)));
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(selection);
        painter.drawRect(kMargin + b->controlRight - 4, kMargin + b->controlBottom - 4, 8, 8);
    }

  private:
    std::function<std::optional<editor::ObjectBounds>()> current_;
};

// Widgets where Esc belongs to the typing, never to the window.
bool isInputField(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

}  // namespace

void installEditorFonts() {
    QFont::insertSubstitution(QString::fromUtf8(kPreviewFace), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QString::fromUtf8(kDialogFace), QStringLiteral("IPAPGothic"));
}

QString applicationTitle() {
    return QStringLiteral("Lorvex");
}

EditorDialog::EditorDialog(platform::Prompter* prompter, QWidget* parent) : QDialog(parent) {
    installEditorFonts();
    if (prompter) {
        prompter_ = prompter;
    } else {
        ownPrompter_ = std::make_unique<platform::QtPrompter>(this, applicationTitle());
        prompter_ = ownPrompter_.get();
    }
    model_ = std::make_unique<editor::EditingModel>(state_, *prompter_);
    undoStack_ = new QUndoStack(this);

    // The window says what it is for; "[*]" shows while changes are not saved.
    setWindowTitle(QStringLiteral("画面設計エディタ[*] - Lorvex"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(editorIcon());
    setFont(dialogFont());
    setFixedSize(kClientWidth, kClientHeight);
    setMouseTracking(true);

    buildControls();
    buildPreviewControls();

    // The context menu of the window lists the commands with their keys.
    auto action = [this](const char* text, QList<QKeySequence> keys, auto slot) {
        auto* a = new QAction(QString::fromUtf8(text), this);
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    undoAction_ = action("元に戻す(&U)", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &EditorDialog::undo);
    redoAction_ =
        action("やり直し(&R)",
               {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
               &EditorDialog::redo);
    undoAction_->setEnabled(false);
    redoAction_->setEnabled(false);
    connect(undoStack_, &QUndoStack::canUndoChanged, undoAction_, &QAction::setEnabled);
    connect(undoStack_, &QUndoStack::canRedoChanged, redoAction_, &QAction::setEnabled);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    addAction(separator);
    action("読 込(&O)", {QKeySequence(Qt::CTRL | Qt::Key_O)}, &EditorDialog::onReadClicked);
    action("保 存(&S)", {QKeySequence(Qt::CTRL | Qt::Key_S)}, &EditorDialog::onSaveClicked);
    action("JSON書出し(&E)...", {}, &EditorDialog::onExportJsonClicked);
    action("JSON読込(&I)...", {}, &EditorDialog::onImportJsonClicked);
    auto* separator2 = new QAction(this);
    separator2->setSeparator(true);
    addAction(separator2);
    helpAction_ = action("ヘルプ(&H)", {QKeySequence(Qt::Key_F1)}, &EditorDialog::showHelp);
    aboutAction_ = action("Lorvex のﾊﾞｰｼﾞｮﾝ情報(&A)...", {}, &EditorDialog::showAbout);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(undoStack_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { setWindowModified(!clean); });

    // The dialog shows the page as it is before the part-limit message appears.
    model_->setRefreshHook([this] {
        relayoutPreview();
        refreshCurrentObject();
    });
    model_->start();
    syncSelectors();
    relayoutPreview();
    refreshCurrentObject();
    orderTabs();
    alive_ = true;
}

bool EditorDialog::isModified() const {
    return !undoStack_->isClean();
}

EditorDialog::~EditorDialog() {
    alive_ = false;
}

void EditorDialog::buildControls() {
    auto label = [this](const char* text, int x, int y, int w = 90) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setGeometry(x, y, w, 20);
        return l;
    };
    auto group = [this](const char* title, int x, int y, int w, int h) {
        auto* g = new QGroupBox(QString::fromUtf8(title), this);
        g->setGeometry(x, y, w, h);
        return g;
    };
    auto button = [this](const char* text, int x, int y, int w, int h, const char* name) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setGeometry(x, y, w, h);
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setObjectName(QString::fromUtf8(name));
        return b;
    };
    auto combo = [this](int x, int y, int w, const char* name) {
        auto* c = new QComboBox(this);
        c->setGeometry(x, y, w, 22);
        c->setObjectName(QString::fromUtf8(name));
        return c;
    };
    auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    auto edit = [this](int x, int y, int w, const char* name) {
        auto* e = new QLineEdit(this);
        e->setGeometry(x, y, w, 22);
        e->setObjectName(QString::fromUtf8(name));
        return e;
    };
    auto numberEdit = [&](int x, int y, int w, const char* name) {
        QLineEdit* e = edit(x, y, w, name);
        e->setValidator(digits);
        e->setMaxLength(9);
        return e;
    };
    auto textEdit = [&](int x, int y, int w, const char* name, std::size_t bytes,
                        const char* fieldName) {
        QLineEdit* e = edit(x, y, w, name);
        auto* v = new Cp932LimitValidator(bytes, e);
        e->setValidator(v);
        QString field = QString::fromUtf8(fieldName);
        connect(v, &Cp932LimitValidator::refused, this,
                [this, e, field](const QString& c) { showRefused(e, field, c); });
        return e;
    };

    // オブジェクト選択
    group("オブジェクト選択", 8, 4, 210, 94);
    label("タイプ", 16, 24, 60);
    typeSelector_ = combo(80, 22, 130, "typeSelector");
    for (int k = 0; k <= int(ObjectKind::Label); ++k)
        typeSelector_->addItem(QString::fromUtf8(editor::kindDisplayName(ObjectKind(k))));
    label("ＩＤ番号", 16, 48, 60);
    numberSelector_ = combo(80, 46, 70, "numberSelector");
    showCheck_ = new QCheckBox(QStringLiteral("表示"), this);
    showCheck_->setGeometry(16, 72, 80, 20);
    showCheck_->setObjectName(QStringLiteral("showCheck"));

    // 位置微調整
    group("位置微調整", 8, 102, 210, 82);
    struct Arrow {
        const char* text;
        int x, y, dx, dy;
        const char* name;
    };
    const Arrow arrows[] = {{"↑", 96, 120, 0, -1, "upButton"},
                            {"→", 130, 140, 1, 0, "rightButton"},
                            {"↓", 96, 160, 0, 1, "downButton"},
                            {"←", 62, 140, -1, 0, "leftButton"}};
    for (const Arrow& a : arrows) {
        QPushButton* b = button(a.text, a.x, a.y, 30, 20, a.name);
        int dx = a.dx, dy = a.dy;
        connect(b, &QPushButton::clicked, this, [this, dx, dy] { onNudge(dx, dy); });
    }

    // 属性値設定
    group("属性値設定", 6, 188, 214, 282);
    int y = 206;
    label("ページ番号", 14, y, 100);
    pageNumber_ = edit(116, y, 40, "pageNumber");
    pageNumber_->setReadOnly(true);
    y += 24;
    label("ラベル名称", 14, y, 100);
    labelText_ = textEdit(116, y, 98, "labelText", kLabelBytes, "ラベル名称");
    y += 24;
    label("ｵﾌﾞｼﾞｪｸﾄ位置(X,Y)", 14, y, 102);
    labelX_ = numberEdit(116, y, 46, "labelX");
    labelY_ = numberEdit(168, y, 46, "labelY");
    y += 24;
    label("ラベル幅", 14, y, 100);
    labelWidth_ = numberEdit(116, y, 46, "labelWidth");
    y += 24;
    label("ﾗﾍﾞﾙ縦位置", 14, y, 100);
    direction_ = combo(116, y, 64, "direction");
    direction_->addItem(QStringLiteral("上方向"));
    direction_->addItem(QStringLiteral("下方向"));
    offset_ = numberEdit(182, y, 32, "offset");
    y += 24;
    label("ｵﾌﾞｼﾞｪｸﾄｻｲｽﾞ(W,H)", 14, y, 102);
    width_ = numberEdit(116, y, 46, "width");
    height_ = numberEdit(168, y, 46, "height");
    y += 24;
    label("選択項目", 14, y, 100);
    items_ = new QPlainTextEdit(this);
    items_->setGeometry(116, y, 98, 56);
    items_->setObjectName(QStringLiteral("items"));
    items_->setTabChangesFocus(true);
    itemsLimit_ = new Cp932PlainTextLimit(items_, kItemsBytes);
    connect(itemsLimit_, &Cp932PlainTextLimit::refused, this,
            [this](const QString& c) { showRefused(items_, QStringLiteral("選択項目"), c); });
    y += 62;
    label("項目表示数", 14, y, 100);
    itemCount_ = numberEdit(116, y, 46, "itemCount");
    y += 24;
    inputRestriction_ = new QCheckBox(QStringLiteral("数値制限"), this);
    inputRestriction_->setGeometry(16, y + 2, 90, 20);
    inputRestriction_->setObjectName(QStringLiteral("inputRestriction"));
    QPushButton* apply = button("更 新", 134, y, 80, 24, "applyButton");

    // 画面設定
    group("画面設定", 225, 4, 320, 100);
    label("ﾍﾟｰｼﾞ番号", 233, 22, 66);
    pageSelector_ = combo(300, 20, 50, "pageSelector");
    for (int p = 0; p < int(editor::kPageCount); ++p) pageSelector_->addItem(QString::number(p));
    label("解像度", 372, 22, 40);
    resolution_ = combo(414, 20, 90, "resolution");
    resolution_->addItem(QStringLiteral("320×320"));
    resolution_->addItem(QStringLiteral("160×160"));
    label("部品数", 233, 48, 66);
    partCount_ = edit(300, 46, 50, "partCount");
    partCount_->setReadOnly(true);
    centring_ = new QCheckBox(QStringLiteral("ｾﾝﾀｰﾘﾝｸﾞ"), this);
    centring_->setGeometry(372, 48, 100, 20);
    centring_->setObjectName(QStringLiteral("centring"));
    centring_->hide();  // mirrors the page's modal-dialog flag; not for the user
    label("ﾍﾟｰｼﾞﾀｲﾄﾙ", 233, 74, 66);
    pageTitle_ = textEdit(300, 72, 235, "pageTitle", kTitleBytes, "ﾍﾟｰｼﾞﾀｲﾄﾙ");

    // Commands.
    QPushButton* read = button("読 込", 225, 442, 50, 26, "readButton");
    QPushButton* save = button("保 存", 283, 442, 50, 26, "saveButton");
    QPushButton* remove = button("レコード削除", 341, 442, 84, 26, "deleteButton");
    QPushButton* convert = button("属性ﾃﾞｰﾀ変換", 433, 442, 84, 26, "attrConvertButton");
    QPushButton* quit = button("終 了", 525, 442, 48, 26, "quitButton");
    QPushButton* undoButton = button("元に戻す", 8, 478, 100, 26, "undoButton");
    QPushButton* redoButton = button("やり直し", 114, 478, 100, 26, "redoButton");
    QPushButton* exportJson = button("JSON書出し", 225, 478, 108, 26, "exportJsonButton");
    QPushButton* importJson = button("JSON読込", 341, 478, 84, 26, "importJsonButton");
    QPushButton* help = button("ヘルプ", 525, 478, 48, 26, "helpButton");
    undoButton->setToolTip(QStringLiteral("元に戻す (Ctrl+Z)"));
    redoButton->setToolTip(QStringLiteral("やり直し (Ctrl+Y)"));
    read->setToolTip(QStringLiteral("読 込 (Ctrl+O)"));
    save->setToolTip(QStringLiteral("保 存 (Ctrl+S)"));
    help->setToolTip(QStringLiteral("ヘルプ (F1)"));
    undoButton->setEnabled(false);
    redoButton->setEnabled(false);
    connect(undoStack_, &QUndoStack::canUndoChanged, undoButton, &QPushButton::setEnabled);
    connect(undoStack_, &QUndoStack::canRedoChanged, redoButton, &QPushButton::setEnabled);
    connect(undoButton, &QPushButton::clicked, this, &EditorDialog::undo);
    connect(redoButton, &QPushButton::clicked, this, &EditorDialog::redo);
    connect(exportJson, &QPushButton::clicked, this, &EditorDialog::onExportJsonClicked);
    connect(importJson, &QPushButton::clicked, this, &EditorDialog::onImportJsonClicked);
    connect(help, &QPushButton::clicked, this, &EditorDialog::showHelp);

    connect(typeSelector_, &QComboBox::currentIndexChanged, this, &EditorDialog::onTypeChanged);
    connect(numberSelector_, &QComboBox::currentIndexChanged, this, &EditorDialog::onNumberChanged);
    connect(resolution_, &QComboBox::currentIndexChanged, this,
            [this](int) { refreshCurrentObject(); });
    connect(pageSelector_, &QComboBox::currentIndexChanged, this, &EditorDialog::onPageChanged);
    connect(showCheck_, &QCheckBox::clicked, this, &EditorDialog::onShowClicked);
    connect(apply, &QPushButton::clicked, this, &EditorDialog::applyFieldsNow);
    connect(inputRestriction_, &QCheckBox::clicked, this, &EditorDialog::applyFieldsNow);
    connect(centring_, &QCheckBox::clicked, this, &EditorDialog::applyFieldsNow);
    connect(read, &QPushButton::clicked, this, &EditorDialog::onReadClicked);
    connect(save, &QPushButton::clicked, this, &EditorDialog::onSaveClicked);
    connect(remove, &QPushButton::clicked, this, &EditorDialog::onDeleteClicked);
    connect(convert, &QPushButton::clicked, this, &EditorDialog::onAttrConvertClicked);
    connect(quit, &QPushButton::clicked, this, [this] {
        if (!confirmLeavingChanges())
            return;
        if (exitHandler_) {
            exitHandler_();
            return;
        }
        std::fflush(nullptr);
        std::_Exit(0);
    });

    // Leaving any of these fields writes the fields back to the design.
    for (QWidget* w :
         std::initializer_list<QWidget*>{pageTitle_, labelText_, labelWidth_, itemCount_, items_,
                                         labelX_, labelY_, width_, height_, offset_, direction_})
        w->installEventFilter(this);
}

void EditorDialog::buildPreviewControls() {
    const QFont font = previewFont();
    previewFrame_ = new QFrame(this);
    previewFrame_->setObjectName(QStringLiteral("previewFrame"));
    previewFrame_->setFrameShape(QFrame::Box);
    previewFrame_->setFrameShadow(QFrame::Plain);
    previewFrame_->setLineWidth(1);
    QPalette framePalette = previewFrame_->palette();
    framePalette.setColor(QPalette::WindowText, Qt::black);
    framePalette.setColor(QPalette::Disabled, QPalette::WindowText, Qt::black);
    previewFrame_->setPalette(framePalette);
    previewFrame_->setGeometry(editor::kPreviewOriginX, editor::kPreviewOriginY,
                               editor::kPreviewSize, editor::kPreviewSize);
    previewFrame_->setAttribute(Qt::WA_TransparentForMouseEvents);
    previewFrame_->show();

    for (bool centred : {true, false}) {
        auto* t = new QLabel(this);
        t->setFont(font);
        t->setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
        t->setGeometry(onScreen({4, 2, 314, 25}));
        t->setObjectName(centred ? QStringLiteral("titleCentred") : QStringLiteral("titleLeft"));
        makePreviewControl(t);
        (centred ? titleCentred_ : titleLeft_) = t;
    }

    auto makeLabelControl = [&](std::size_t slot) {
        auto* l = new QLabel(this);
        l->setFont(font);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        makePreviewControl(l);
        labelControls_[slot] = l;
    };
    auto makeMain = [&](std::size_t slot, ObjectKind kind) {
        QWidget* w = nullptr;
        switch (kind) {
            case ObjectKind::Cmb:
                w = new QComboBox(this);
                break;
            case ObjectKind::Int:
            case ObjectKind::Real:
            case ObjectKind::Str:
            case ObjectKind::IdNumber:
                w = new QLineEdit(this);  // framed text field, dialog font, no text
                break;
            case ObjectKind::Label: {
                auto* l = new QLabel(this);
                l->setFrameShape(QFrame::Box);
                l->setLineWidth(1);
                l->setFont(font);
                l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                w = l;
                break;
            }
            default: {
                auto* b = new QPushButton(this);
                b->setFont(font);
                b->setAutoDefault(false);
                w = b;
                break;
            }
        }
        makePreviewControl(w);
        mainControls_[slot] = w;
    };

    // Created in the order their objects are set up, so later kinds lie on top.
    using editor::slotIndex;
    makeLabelControl(slotIndex(ObjectKind::IdNumber, 0, 0));
    makeMain(slotIndex(ObjectKind::IdNumber, 0, 0), ObjectKind::IdNumber);
    makeMain(slotIndex(ObjectKind::SearchButton, 0, 0), ObjectKind::SearchButton);
    for (ObjectKind kind : {ObjectKind::Cmb, ObjectKind::Int, ObjectKind::Real, ObjectKind::Str})
        for (int n = 0; n < editor::kCapacities[std::size_t(kind)]; ++n) {
            makeLabelControl(slotIndex(kind, n, 0));
            makeMain(slotIndex(kind, n, 0), kind);
        }
    for (int i = 0; i < int(editor::kPageCount); ++i) {
        makeMain(slotIndex(ObjectKind::UpdateButton, 0, i), ObjectKind::UpdateButton);
        makeMain(slotIndex(ObjectKind::CloseButton, 0, i), ObjectKind::CloseButton);
        for (int p = 0; p < int(editor::kPageCount); ++p)
            makeMain(slotIndex(ObjectKind::Btn, i, p), ObjectKind::Btn);
    }
    for (int n = 0; n < editor::kCapacities[std::size_t(ObjectKind::Label)]; ++n)
        makeMain(slotIndex(ObjectKind::Label, n, 0), ObjectKind::Label);

    surface_ = new PreviewSurface(this, [this]() -> std::optional<editor::ObjectBounds> {
        if (!model_ || !model_->view().shown)
            return std::nullopt;
        return editor::boundsOf(model_->currentSlot());
    });
    surface_->show();
    surface_->raise();
}

void EditorDialog::orderTabs() {
    // Down the left column, then the page settings, the preview and the command buttons.
    const char* order[] = {"typeSelector",
                           "numberSelector",
                           "showCheck",
                           "upButton",
                           "leftButton",
                           "rightButton",
                           "downButton",
                           "labelText",
                           "labelX",
                           "labelY",
                           "labelWidth",
                           "direction",
                           "offset",
                           "width",
                           "height",
                           "items",
                           "itemCount",
                           "inputRestriction",
                           "applyButton",
                           "undoButton",
                           "redoButton",
                           "pageSelector",
                           "resolution",
                           "pageTitle",
                           "previewSurface",
                           "readButton",
                           "saveButton",
                           "deleteButton",
                           "attrConvertButton",
                           "quitButton",
                           "exportJsonButton",
                           "importJsonButton",
                           "helpButton"};
    QWidget* previous = nullptr;
    for (const char* name : order) {
        auto* w = findChild<QWidget*>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
        if (!w)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
    // Read-only fields are for reading: Tab passes them by.
    pageNumber_->setFocusPolicy(Qt::ClickFocus);
    partCount_->setFocusPolicy(Qt::ClickFocus);
}

void EditorDialog::designReplaced() {
    model_->relayoutPage();
    showWorkingDesign();
    recordChange("変更");
}

void EditorDialog::recordChange(const char* text, int merge) {
    editor::RecordedChange recorded = model_->takeChange();
    if (recorded.change.empty())
        return;
    undoStack_->push(new DesignUndoCommand(
        QString::fromUtf8(text), std::move(recorded), DesignUndoCommand::MergeKind(merge),
        [this](const editor::DesignChange& change, bool forward,
               const editor::Selection& selection) { restoreChange(change, forward, selection); }));
}

void EditorDialog::restoreChange(const editor::DesignChange& change, bool forward,
                                 const editor::Selection& selection) {
    if (forward)
        change.apply(state_.working);
    else
        change.revert(state_.working);
    model_->restoreSelection(selection);
    model_->resetRecording();
    showWorkingDesign();
}

void EditorDialog::commitFieldEdits() {
    if (alive_)
        applyFieldsNow();
}

void EditorDialog::undo() {
    commitFieldEdits();
    undoStack_->undo();
}

void EditorDialog::redo() {
    commitFieldEdits();
    undoStack_->redo();
}

bool EditorDialog::confirmLeavingChanges() {
    commitFieldEdits();
    if (!isModified())
        return true;
    switch (prompter_->show(kSaveChangesQuestion, "", platform::Icon::Question,
                            platform::Buttons::SaveDiscardCancel)) {
        case platform::Answer::Save:
            return saveDesign() == editor::CommandResult::Done;
        case platform::Answer::Discard:
            return true;
        default:
            return false;
    }
}

void EditorDialog::reject() {
    if (confirmLeavingChanges())
        QDialog::reject();
}

void EditorDialog::showWorkingDesign() {
    syncSelectors();
    relayoutPreview();
    refreshCurrentObject();
}

editor::FieldValues EditorDialog::collectFields() const {
    editor::FieldValues f;
    f.pageTitle = toSjis(pageTitle_->text());
    f.labelText = toSjis(labelText_->text());
    QString items = items_->toPlainText();
    items.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    f.items = toSjis(items);
    f.labelX = labelX_->text().toStdString();
    f.labelY = labelY_->text().toStdString();
    f.labelWidth = labelWidth_->text().toStdString();
    f.offset = offset_->text().toStdString();
    f.width = width_->text().toStdString();
    f.height = height_->text().toStdString();
    f.itemCount = itemCount_->text().toStdString();
    f.direction = direction_->currentIndex() == 1 ? 1 : 0;
    f.centring = centring_->isChecked();
    f.inputRestriction = inputRestriction_->isChecked();
    return f;
}

void EditorDialog::applyFieldsNow() {
    model_->applyFields(collectFields());
    refreshCurrentObject();
    recordChange("属性の変更");
}

void EditorDialog::syncSelectors() {
    QSignalBlocker b1(typeSelector_), b2(numberSelector_), b3(pageSelector_);
    typeSelector_->setCurrentIndex(int(model_->currentKind()));
    const auto& entries = model_->numberEntries();
    bool same = numberSelector_->count() == int(entries.size());
    for (int i = 0; same && i < numberSelector_->count(); ++i)
        same = numberSelector_->itemText(i).toStdString() == entries[std::size_t(i)];
    if (!same) {
        numberSelector_->clear();
        for (const std::string& e : entries) numberSelector_->addItem(QString::fromStdString(e));
    }
    numberSelector_->setCurrentIndex(model_->currentNumber());
    pageSelector_->setCurrentIndex(model_->currentPage());
}

void EditorDialog::refreshCurrentObject() {
    // Disabling the focused field moves the focus; that is no edit to write back.
    const bool wasRefreshing = refreshing_;
    refreshing_ = true;
    const editor::CurrentObjectView v = model_->view();
    const editor::FieldValues& f = v.fields;
    pageTitle_->setText(fromSjis(f.pageTitle));
    labelText_->setText(fromSjis(f.labelText));
    pageNumber_->setText(QString::number(v.pageNumber));
    labelX_->setText(QString::fromStdString(f.labelX));
    labelY_->setText(QString::fromStdString(f.labelY));
    width_->setText(QString::fromStdString(f.width));
    height_->setText(QString::fromStdString(f.height));
    labelWidth_->setText(QString::fromStdString(f.labelWidth));
    {
        QSignalBlocker block(direction_);
        direction_->setCurrentIndex(f.direction);
    }
    offset_->setText(QString::fromStdString(f.offset));
    QString items = fromSjis(f.items);
    items.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    itemsLimit_->setText(items);
    itemCount_->setText(QString::fromStdString(f.itemCount));
    partCount_->setText(QString::number(v.partCount));
    showCheck_->setChecked(v.shown);
    centring_->setChecked(f.centring);
    inputRestriction_->setChecked(f.inputRestriction);

    const editor::FieldEnables& e = v.enables;
    numberSelector_->setEnabled(e.numberSelector);
    showCheck_->setEnabled(e.show);
    labelText_->setEnabled(e.labelText);
    pageNumber_->setEnabled(e.pageNumber);
    labelX_->setEnabled(e.labelX);
    labelY_->setEnabled(e.labelY);
    width_->setEnabled(e.width);
    height_->setEnabled(e.height);
    labelWidth_->setEnabled(e.labelWidth);
    direction_->setEnabled(e.direction);
    offset_->setEnabled(e.offset);
    items_->setEnabled(e.items);
    itemCount_->setEnabled(e.itemCount);
    inputRestriction_->setEnabled(e.inputRestriction);

    const int page = model_->currentPage();
    layoutItem(model_->previewItem(model_->currentKind(), model_->currentNumber(), page), v.shown);
    layoutTitleAndPageButtons();
    if (surface_)
        surface_->update();
    refreshing_ = wasRefreshing;
}

void EditorDialog::hidePreviewControls(std::size_t slot) {
    if (QWidget* l = labelControls_[slot])
        l->hide();
    if (QWidget* m = mainControls_[slot])
        m->hide();
    shownSlots_[slot] = false;
}

void EditorDialog::layoutItem(const editor::PreviewItem& item, bool visible) {
    QWidget* labelControl = labelControls_[item.slot];
    QWidget* main = mainControls_[item.slot];
    if (!visible || !main) {
        hidePreviewControls(item.slot);
        return;
    }
    const QString text = fromSjis(item.text);
    if (labelControl && item.label) {
        labelControl->setGeometry(onScreen(*item.label));
        static_cast<QLabel*>(labelControl)->setText(text);
        labelControl->show();
    }
    QRect mainRect = onScreen(item.main);
    if (item.kind == ObjectKind::Cmb)
        mainRect.setHeight(kComboFieldHeight);
    main->setGeometry(mainRect);
    if (!item.label) {
        if (auto* b = qobject_cast<QPushButton*>(main))
            b->setText(text);
        else if (auto* l = qobject_cast<QLabel*>(main))
            l->setText(text);
    }
    main->show();
    shownSlots_[item.slot] = true;
}

void EditorDialog::layoutTitleAndPageButtons() {
    const int page = model_->currentPage();
    const bool centred = state_.working.modalFlags[std::size_t(page)] != 0;
    titleCentred_->setVisible(centred);
    titleLeft_->setVisible(!centred);
    (centred ? titleCentred_ : titleLeft_)
        ->setText(fromSjis(editor::fieldText(state_.working.titles[std::size_t(page)])));
    for (ObjectKind kind : {ObjectKind::UpdateButton, ObjectKind::CloseButton}) {
        const editor::PreviewItem item = model_->previewItem(kind, 0, page);
        layoutItem(item, state_.working.slots[item.slot].pageNumber == page);
    }
}

void EditorDialog::relayoutPreview() {
    const std::vector<editor::PreviewItem> items = model_->previewItems(model_->currentPage());
    std::array<bool, editor::kSlotCount> keep{};
    for (const editor::PreviewItem& item : items) keep[item.slot] = true;
    for (std::size_t s = 0; s < editor::kSlotCount; ++s)
        if (shownSlots_[s] && !keep[s])
            hidePreviewControls(s);
    for (const editor::PreviewItem& item : items) layoutItem(item, true);
    layoutTitleAndPageButtons();
}

void EditorDialog::onTypeChanged(int index) {
    if (index < 0)
        return;
    model_->selectKind(ObjectKind(index));
    syncSelectors();
    refreshCurrentObject();
    recordChange("選択");  // nothing changed; the history notes what is selected
}

void EditorDialog::onNumberChanged(int index) {
    model_->selectNumber(index);
    refreshCurrentObject();
    recordChange("選択");
}

void EditorDialog::onPageChanged(int index) {
    if (index < 0)
        return;
    model_->selectPage(index);
    relayoutPreview();
    refreshCurrentObject();
    recordChange("ページの切替", DesignUndoCommand::PageMerge);
}

void EditorDialog::onShowClicked(bool checked) {
    model_->setShown(checked);
    relayoutPreview();
    refreshCurrentObject();
    recordChange(checked ? "配置" : "配置の取消");
}

void EditorDialog::onNudge(int dx, int dy) {
    model_->nudge(dx, dy, editor::NudgeMode::Move);
    refreshCurrentObject();
    recordChange("位置の微調整", DesignUndoCommand::NudgeMerge);
}

void EditorDialog::nudgeByKey(int dx, int dy, int steps) {
    // A long step stops at the screen's edge rather than not moving at all.
    for (int i = 0; i < steps && model_->nudge(dx, dy, editor::NudgeMode::Move); ++i) {
    }
    refreshCurrentObject();
    recordChange("位置の微調整", DesignUndoCommand::NudgeMerge);
}

void EditorDialog::showHelp() {
    showLorvexHelp(this, "editor");
}

void EditorDialog::showRefused(QWidget* field, const QString& fieldName, const QString& character) {
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())),
                       refusedCharacterMessage(fieldName, character), field);
}

void EditorDialog::showAbout() {
    AboutDialog about(this);
    about.exec();
}

void EditorDialog::keyPressEvent(QKeyEvent* event) {
    // Enter is the dialog's default action, and that does nothing here.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    // Esc inside a field belongs to the field: it never ends the editor.
    if (event->key() == Qt::Key_Escape && isInputField(focusWidget())) {
        event->accept();
        return;
    }
    if (surface_->hasFocus()) {
        const int steps = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
        switch (event->key()) {
            case Qt::Key_Left:
                nudgeByKey(-1, 0, steps);
                return;
            case Qt::Key_Right:
                nudgeByKey(1, 0, steps);
                return;
            case Qt::Key_Up:
                nudgeByKey(0, -1, steps);
                return;
            case Qt::Key_Down:
                nudgeByKey(0, 1, steps);
                return;
            case Qt::Key_Delete:
                // As unticking "表示": only an object placed here, where the box is usable.
                if (showCheck_->isEnabled() && showCheck_->isChecked())
                    onShowClicked(false);
                return;
            default:
                break;
        }
    }
    QDialog::keyPressEvent(event);  // Esc: reject(), which asks about unsaved changes
}

void EditorDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    // A click on the preview makes it the keyboard's target (the field left is written).
    if (surface_->geometry().contains(p))
        surface_->setFocus(Qt::MouseFocusReason);
    model_->click(p.x(), p.y(), collectFields());
    syncSelectors();
    refreshCurrentObject();
    recordChange("属性の変更");
}

void EditorDialog::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const bool leftOnly = event->buttons() == Qt::LeftButton &&
                          (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                 Qt::AltModifier | Qt::MetaModifier)) == 0;
    const editor::DragOutcome out = model_->dragStep(p.x(), p.y(), leftOnly);
    switch (out.pointer) {
        case editor::PointerShape::Move:
            setCursor(Qt::SizeAllCursor);
            break;
        case editor::PointerShape::Resize:
            setCursor(Qt::SizeFDiagCursor);
            break;
        case editor::PointerShape::Arrow:
            setCursor(Qt::ArrowCursor);
            break;
    }
    if (out.changed)
        refreshCurrentObject();
    // A drag goes into the history as one change when the button is released.
    if (!(event->buttons() & Qt::LeftButton))
        recordChange("移動・サイズ変更");
}

void EditorDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mouseReleaseEvent(event);
        return;
    }
    if (model_->release()) {
        // Redrawn above its neighbours, under the selection outline.
        if (QWidget* main = mainControls_[model_->currentSlotIndex()])
            main->raise();
        surface_->raise();
    }
    refreshCurrentObject();
    recordChange("移動・サイズ変更");
}

bool EditorDialog::eventFilter(QObject* watched, QEvent* event) {
    // A drop-down or context menu opening keeps the field the user is in.
    if (alive_ && !refreshing_ && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        applyFieldsNow();
    return QDialog::eventFilter(watched, event);
}

}  // namespace lorvex
