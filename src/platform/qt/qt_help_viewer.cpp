#include "platform/qt/qt_help_viewer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

#include "platform/manual_location.h"
#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

namespace {
// The help window's size when first opened, where the screen has room for it.
constexpr QSize kHelpSize(760, 640);

// What the window system draws around a window: known once it has been shown.
QMargins frameOf(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// The screen that holds most of a window: the one under its middle, else its own.
QScreen* screenOf(const QWidget& window) {
    if (QScreen* under = QGuiApplication::screenAt(window.frameGeometry().center())) return under;
    return window.screen();
}
}  // namespace

// The help window: a toolbar (back, forward, contents, find) over the browser.
class HelpWindow final : public QWidget {
public:
    HelpWindow();
    // Shows `page` at `anchor`, the window brought to the front.
    void open(const QUrl& page, const QString& anchor);
    // Places the window wholly on the screen of `origin` (the window help was asked from), over
    // its middle; left where it is when it is on that screen already.
    void placeBy(const QWidget* origin);
    QTextBrowser& browser() { return *browser_; }

private:
    QToolButton* button(const QString& text, const QString& tip, const QKeySequence& keys);
    void find(bool backward);

    QTextBrowser* browser_;
    QLineEdit* findText_;
    QLabel* findResult_;
    QUrl home_;
};

HelpWindow::HelpWindow()
    : browser_(new QTextBrowser(this)), findText_(new QLineEdit(this)), findResult_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Kestrix Help"));
    setObjectName(QStringLiteral("helpWindow"));
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setOpenExternalLinks(true);
    findText_->setPlaceholderText(QStringLiteral("Find"));
    findText_->setClearButtonEnabled(true);

    QToolButton* back = button(QStringLiteral("< Back"), QStringLiteral("Back"), QKeySequence::Back);
    QToolButton* forward = button(QStringLiteral("Forward >"), QStringLiteral("Forward"), QKeySequence::Forward);
    QToolButton* contents = button(QStringLiteral("Contents"), QStringLiteral("The start of the manual"), {});
    QToolButton* previous =
        button(QStringLiteral("Previous"), QStringLiteral("Find the previous one"), QKeySequence::FindPrevious);
    QToolButton* next = button(QStringLiteral("Next"), QStringLiteral("Find the next one"), QKeySequence::FindNext);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    connect(contents, &QToolButton::clicked, this, [this] { browser_->setSource(home_); });
    connect(next, &QToolButton::clicked, this, [this] { find(false); });
    connect(previous, &QToolButton::clicked, this, [this] { find(true); });
    connect(findText_, &QLineEdit::returnPressed, this, [this] { find(false); });
    connect(findText_, &QLineEdit::textChanged, findResult_, &QLabel::clear);
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        findText_->setFocus();
        findText_->selectAll();
    });

    auto* bar = new QHBoxLayout;
    for (QWidget* item : {static_cast<QWidget*>(back), static_cast<QWidget*>(forward), static_cast<QWidget*>(contents)})
        bar->addWidget(item);
    bar->addSpacing(16);
    bar->addWidget(findText_, 1);
    bar->addWidget(previous);
    bar->addWidget(next);
    bar->addWidget(findResult_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(browser_, 1);
    resize(kHelpSize);
}

QToolButton* HelpWindow::button(const QString& text, const QString& tip, const QKeySequence& keys) {
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setToolTip(keys.isEmpty()
                      ? tip
                      : tip + QStringLiteral(" (") + keys.toString(QKeySequence::NativeText) + QStringLiteral(")"));
    if (!keys.isEmpty()) b->setShortcut(keys);
    return b;
}

void HelpWindow::placeBy(const QWidget* origin) {
    QScreen* screen = origin ? screenOf(*origin) : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    if (isVisible() && available.contains(frameGeometry())) return;
    // Before its first showing the window's own frame is not known; the origin's is much the same.
    const QMargins frame = isVisible() || !origin ? frameOf(*this) : frameOf(*origin);
    const QSize wanted = isVisible() ? size() : kHelpSize;
    const QSize inner = wanted.boundedTo(available.size().shrunkBy(frame));
    resize(inner);
    QRect outer(QPoint(), inner.grownBy(frame));
    outer.moveCenter(origin ? origin->frameGeometry().center() : available.center());
    // Pushed back onto the screen, its top left corner kept on it should the frame be too large.
    outer.moveLeft(std::max(available.left(), std::min(outer.left(), available.right() + 1 - outer.width())));
    outer.moveTop(std::max(available.top(), std::min(outer.top(), available.bottom() + 1 - outer.height())));
    move(outer.topLeft());
}

// Finds the text from the caret on, going round to the other end of the page once.
void HelpWindow::find(bool backward) {
    const QString wanted = findText_->text();
    findResult_->clear();
    if (wanted.isEmpty()) return;
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (browser_->find(wanted, flags)) return;
    QTextCursor restart = browser_->textCursor();
    restart.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    browser_->setTextCursor(restart);
    if (!browser_->find(wanted, flags)) findResult_->setText(QStringLiteral("Not found"));
}

void HelpWindow::open(const QUrl& page, const QString& anchor) {
    QUrl withoutAnchor = page;
    withoutAnchor.setFragment(QString());
    home_ = withoutAnchor;
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
    QUrl target = withoutAnchor;
    target.setFragment(anchor);
    if (browser_->source() != target) browser_->setSource(target);
    browser_->scrollToAnchor(anchor);
}

QtHelpViewer::QtHelpViewer() = default;
QtHelpViewer::~QtHelpViewer() = default;

QStringList QtHelpViewer::candidatePaths(const std::string& helpFile) {
    const QString page = QFileInfo(fromBytes(helpFile)).completeBaseName() + QStringLiteral(".html");
    QStringList candidates;
    for (const std::string& candidate : locateManual(QFile::encodeName(page).toStdString()).candidates)
        candidates << QFile::decodeName(QByteArray::fromStdString(candidate));
    return candidates;
}

QString QtHelpViewer::firstExisting(const QStringList& candidates) {
    for (const QString& candidate : candidates) {
        const QFileInfo file(candidate);
        if (file.isFile()) return file.canonicalFilePath();
    }
    return {};
}

QString QtHelpViewer::anchorOf(const std::string& keyword) {
    QString anchor;
    for (const QChar c : fromBytes(keyword).toLower()) {
        if (c.isLetterOrNumber()) anchor += c;
        else if (!anchor.isEmpty() && !anchor.endsWith(QLatin1Char('-'))) anchor += QLatin1Char('-');
    }
    while (anchor.endsWith(QLatin1Char('-'))) anchor.chop(1);
    return anchor;
}

std::string QtHelpViewer::showKeyword(const std::string& helpFile, const std::string& keyword) {
    const QStringList candidates = candidatePaths(helpFile);
    const QString page = firstExisting(candidates);
    if (page.isEmpty()) {
        QString reason = QStringLiteral("The Kestrix manual could not be found. It was looked for as:");
        for (const QString& candidate : candidates) reason += QLatin1Char('\n') + candidate;
        return toBytes(reason);
    }
    if (!window_) window_ = std::make_unique<HelpWindow>();
    QWidget* origin = QApplication::activeModalWidget();
    if (!origin) origin = QApplication::activeWindow();
    if (origin != window_.get()) window_->placeBy(origin);
    window_->open(QUrl::fromLocalFile(page), anchorOf(keyword));
    return {};
}

QWidget* QtHelpViewer::window() const { return window_.get(); }
QTextBrowser* QtHelpViewer::browser() const { return window_ ? &window_->browser() : nullptr; }

}  // namespace kestrix::platform::qt
