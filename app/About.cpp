#include "app/About.h"

#include "app/AppResources.h"
#include "property/PelError.h"
#include "resources/version/Version.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kWidth = 310;
constexpr int kHeight = 244;
constexpr int kIconSize = 32;
} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Arvel Configuration Editor"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);

    imageIcon_ = new QLabel(panel);
    imageIcon_->setObjectName(QStringLiteral("ImageIcon"));
    imageIcon_->setFixedSize(kIconSize, kIconSize);
    imageIcon_->setScaledContents(true);
    imageIcon_->installEventFilter(this);

    productName_ = new QLabel(QStringLiteral("Arvel Configuration Editor"), panel);
    productName_->setObjectName(QStringLiteral("ProductName"));
    QFont nameFont = productName_->font();
    nameFont.setBold(true);
    productName_->setFont(nameFont);

    // The version text comes from the program's own version block; without one the label is empty.
    const QString version = ProgramVersion();
    version_ = new QLabel(version.isEmpty() ? QString() : QStringLiteral("Version ") + version, panel);
    version_->setObjectName(QStringLiteral("Version"));

    auto* top = new QHBoxLayout;
    top->addWidget(imageIcon_, 0, Qt::AlignTop);
    top->addSpacing(12);
    auto* texts = new QVBoxLayout;
    texts->addWidget(productName_);
    texts->addWidget(version_);
    texts->addStretch();
    top->addLayout(texts, 1);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addLayout(top);
    panelLayout->addStretch();

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addWidget(okButton_, 0, Qt::AlignHCenter);

    setFixedSize(kWidth, kHeight);
}

// The icon, and a fixed border: the written size, or what the texts need where the font is larger.
// Done when shown rather than while the program starts.
void TAboutBox::fitTexts() {
    if (imageIcon_->pixmap().isNull()) imageIcon_->setPixmap(AppPicture(QStringLiteral("program_icon")));
    setFixedSize(QSize(kWidth, kHeight).expandedTo(sizeHint()));
}

void TAboutBox::showEvent(QShowEvent* event) {
    fitTexts();
    QDialog::showEvent(event);
}

int TAboutBox::ShowModal() {
    if (runModal_) return runModal_(*this);
    // Centred on the screen.
    fitTexts();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return exec();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imageIcon_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        constexpr Qt::KeyboardModifiers gesture = Qt::ControlModifier | Qt::ShiftModifier;
        if (mouse->button() == Qt::LeftButton && (mouse->modifiers() & gesture) == gesture &&
            imageIcon_->rect().contains(mouse->position().toPoint()) && onIconGesture_) {
            Guarded([&] { onIconGesture_(this); });
        }
    }
    return QDialog::eventFilter(watched, event);
}
