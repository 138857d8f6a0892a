#include "signin/regform.h"

#include "widgets/buttonaccessibility.h"
#include "widgets/infonote.h"
#include "widgets/theme.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QString formStyle()
{
    using namespace Theme;
    return QStringLiteral(
               "regform { background-color: %1; }"
               " QLabel { color: %2; font-family: %3; }"
               " QLabel#controllerStateTextLabel { font-size: 20px; font-weight: 700; }"
               " QLabel#hintLabel { color: %4; font-size: 13px; }"
               " QLabel#adapterStateTextLabel { color: %5; font-size: 13px; }"
               " QLineEdit { background-color: %6; border: 1px solid %7;"
               " border-radius: 8px; padding: 8px 12px; font-family: %3; font-size: 15px; }"
               " QLineEdit:read-only { background-color: %8; }"
               " QPushButton { font-family: %3; font-size: 15px; font-weight: 600; border-radius: 8px; padding: 10px; }"
               " QPushButton#loginButton, QPushButton#registrationButton { background-color: %9; color: %10; }"
               " QPushButton#loginButton:pressed, QPushButton#registrationButton:pressed { background-color: %11; }"
               " QPushButton#loginPageButton, QPushButton#createLoginPageButton {"
               " background-color: transparent; color: %12; border: none; border-bottom: 2px solid %13; border-radius: 0px; }"
               " QPushButton#loginPageButton:checked, QPushButton#createLoginPageButton:checked {"
               " color: %9; border-bottom: 2px solid %9; }"
               " QPushButton#createLoginPageButton:disabled { color: %14; }"
               " QPushButton#closeAppButton { background-color: %15; color: %12; }")
        .arg(css(CardBackground), css(Text), TextFont, css(Attention), css(Alert), css(LightField), css(FieldBorder),
             css(MutedText), css(Brand))
        .arg(css(OnBrand), css(BrandPressed), css(MutedText), css(Border), css(DisabledText),
             css(PageBackground));
}

// Text in the light edits is set through the palette, not a style sheet: a style sheet colour
// would also make the placeholder a half-transparent copy of it, too faint to read.
void setEditColour(QLineEdit *edit, const QColor &text)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText, Theme::PlaceholderText);
    edit->setPalette(palette);
}

QLineEdit *makeEdit(const char *name, const QString &placeholder, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setPlaceholderText(placeholder);
    // the placeholder goes once the field is filled; the name stays for assistive technologies
    edit->setAccessibleName(placeholder);
    return edit;
}

QPushButton *makeButton(const char *name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

} // namespace

regform::regform(QWidget *parent) : QWidget(parent)
{
    // the first page: its tab buttons answer assistive technologies from the start
    installButtonAccessibility();
    setObjectName(QStringLiteral("regform"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(formStyle());

    m_statePicture = new QLabel(this);
    m_statePicture->setObjectName(QStringLiteral("controllerConnectionStateLabel"));
    m_statePicture->setFixedSize(160, 160);
    m_statePicture->setScaledContents(true);
    m_stateText = new QLabel(this);
    m_stateText->setObjectName(QStringLiteral("controllerStateTextLabel"));
    m_stateText->setAlignment(Qt::AlignCenter);
    m_adapterText = new QLabel(QStringLiteral("Bluetooth выключен или не найден"), this);
    m_adapterText->setObjectName(QStringLiteral("adapterStateTextLabel"));
    m_adapterText->setAlignment(Qt::AlignCenter);
    m_adapterText->hide();
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("hintLabel"));
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setWordWrap(true);

    m_loginPageButton = makeButton("loginPageButton", QStringLiteral("Войти"), this);
    m_createLoginPageButton = makeButton("createLoginPageButton", QStringLiteral("Удалить аккаунт"), this);
    m_loginPageButton->setCheckable(true);
    m_createLoginPageButton->setCheckable(true);
    m_loginPageButton->setAutoExclusive(true);
    m_createLoginPageButton->setAutoExclusive(true);
    m_loginPageButton->setChecked(true);

    m_accountStack = new QStackedWidget(this);
    m_accountStack->setObjectName(QStringLiteral("accountStackedWidget"));
    m_loginPage = new QWidget(m_accountStack);
    m_loginPage->setObjectName(QStringLiteral("loginPage"));
    m_createLoginPage = new QWidget(m_accountStack);
    m_createLoginPage->setObjectName(QStringLiteral("createLoginPage"));
    m_accountStack->addWidget(m_loginPage);
    m_accountStack->addWidget(m_createLoginPage);

    m_loginEdit = makeEdit("loginEdit", QStringLiteral("Логин"), m_loginPage);
    m_passwordEdit = makeEdit("passwordEdit", QStringLiteral("Пароль"), m_loginPage);
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_loginButton = makeButton("loginButton", QStringLiteral("Вход"), m_loginPage);
    auto *loginLayout = new QVBoxLayout(m_loginPage);
    loginLayout->setSpacing(12);
    loginLayout->addWidget(m_loginEdit);
    loginLayout->addWidget(m_passwordEdit);
    loginLayout->addWidget(m_loginButton);
    loginLayout->addStretch();

    m_passwordCreateEdit = makeEdit("passwordCreateEdit", QStringLiteral("Пароль"), m_createLoginPage);
    m_passwordCreateEdit->setEchoMode(QLineEdit::Password);
    m_instruction = new QLabel(m_createLoginPage);
    m_instruction->setObjectName(QStringLiteral("instructionLabel"));
    m_instruction->setTextFormat(Qt::RichText);
    m_instruction->setWordWrap(true);
    m_instruction->setText(QStringLiteral(
        "<p align=\"center\" style=\"color:%1;\">Введите пароль от аккаунта,</p>"
        "<p align=\"center\" style=\"color:%1;\">или соедините входы 1 и 2 между собой на кажом разъеме </p>")
                               .arg(Theme::MutedText.name()));
    m_registrationButton = makeButton("registrationButton", QStringLiteral("Удалить аккаунт"), m_createLoginPage);
    auto *createLayout = new QVBoxLayout(m_createLoginPage);
    createLayout->setSpacing(12);
    createLayout->addWidget(m_passwordCreateEdit);
    createLayout->addWidget(m_instruction);
    createLayout->addWidget(m_registrationButton);
    createLayout->addStretch();

    m_support = new QLabel(this);
    m_support->setObjectName(QStringLiteral("supportLabel"));
    m_support->setTextFormat(Qt::RichText);
    m_support->setAlignment(Qt::AlignCenter);
    m_support->setWordWrap(true);
    m_support->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_closeAppButton = makeButton("closeAppButton", QStringLiteral("Выйти из системы"), this);

    auto *tabs = new QHBoxLayout;
    tabs->addWidget(m_loginPageButton);
    tabs->addWidget(m_createLoginPageButton);

    auto *card = new QVBoxLayout;
    card->setSpacing(14);
    card->addWidget(m_statePicture, 0, Qt::AlignHCenter);
    card->addWidget(m_stateText);
    card->addWidget(m_adapterText);
    card->addWidget(m_hint);
    card->addLayout(tabs);
    card->addWidget(m_accountStack);
    card->addWidget(m_support);
    card->addWidget(m_closeAppButton);

    auto *outer = new QHBoxLayout(this);
    outer->addStretch(1);
    outer->addLayout(card, 3);
    outer->addStretch(1);

    setEditColour(m_passwordCreateEdit, Theme::DarkText);
    for (QLineEdit *edit : {m_loginEdit, m_passwordEdit}) {
        setEditColour(edit, Theme::PlaceholderText);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::editingFinished, this, &regform::onEditingFinished);
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { setUserEdited(edit, true); });
    }

    connect(m_loginPageButton, &QPushButton::clicked, this, &regform::on_loginPageButton_clicked);
    connect(m_createLoginPageButton, &QPushButton::clicked, this, &regform::on_createLoginPageButton_clicked);
    connect(m_closeAppButton, &QPushButton::clicked, this, &regform::on_closeAppButton_clicked);
    connect(m_loginButton, &QPushButton::released, this, &regform::onLoginButtonReleased);
    connect(m_registrationButton, &QPushButton::released, this, &regform::onRegistrationButtonReleased);

    updateSupportText();
}

regform::~regform()
{
    // A focused edit reports "editing finished" while the children are destroyed, after this
    // object's part is gone.
    for (QLineEdit *edit : {m_loginEdit, m_passwordEdit}) {
        edit->removeEventFilter(this);
        edit->disconnect(this);
    }
}

QString regform::supportAddress()
{
    return QStringLiteral("support@vireosant.ru");
}

void regform::setAdapterProblem(bool problem)
{
    m_adapterText->setVisible(problem);
}

void regform::setFormMode(int mode, const QString &login, const QString &password)
{
    m_mode = mode;
    switch (mode) {
    case Offline:
        m_statePicture->setPixmap(QPixmap(QStringLiteral(":/pict/controller_connection_fail.jpg")));
        m_stateText->setText(QStringLiteral("Контроллер не в сети"));
        m_hint->setText(QStringLiteral("Внимание! Подключите контроллер к питанию для авторизации/регистрации"));
        for (QLineEdit *edit : {m_loginEdit, m_passwordEdit}) {
            edit->setReadOnly(true);
            edit->clear();
            setUserEdited(edit, false);
        }
        setDeviceId(QString());
        break;
    case SignIn:
        m_loginEdit->setReadOnly(false);
        if (!m_loginUserEdited) {
            m_loginEdit->setText(login);
            setGrey(m_loginEdit, false);
        }
        m_passwordEdit->setReadOnly(false);
        m_statePicture->setPixmap(QPixmap(QStringLiteral(":/pict/controller_connection_ok.jpg")));
        m_stateText->setText(QStringLiteral("Контроллер подключен"));
        m_hint->clear();
        m_loginPageButton->setChecked(true);
        m_createLoginPageButton->setEnabled(true);
        m_loginPageButton->setText(QStringLiteral("Войти"));
        m_accountStack->setCurrentWidget(m_loginPage);
        if (!password.isEmpty() && !m_passwordUserEdited) {
            m_passwordEdit->setText(password);
            setGrey(m_passwordEdit, false);
        }
        break;
    case CreateAccount:
        m_statePicture->setPixmap(QPixmap(QStringLiteral(":/pict/controller_connection_ok.jpg")));
        m_stateText->setText(QStringLiteral("Контроллер подключен"));
        m_hint->clear();
        for (QLineEdit *edit : {m_loginEdit, m_passwordEdit}) {
            edit->setReadOnly(false);
            if (!userEdited(edit))
                edit->clear();
        }
        m_loginPageButton->setChecked(true);
        m_createLoginPageButton->setEnabled(false);
        m_loginPageButton->setText(QStringLiteral("Создать аккаунт"));
        m_accountStack->setCurrentWidget(m_loginPage);
        break;
    default:
        break;
    }
}

void regform::setDeviceId(const QString &text)
{
    m_deviceId = text;
    updateSupportText();
}

void regform::updateSupportText()
{
    m_support->setText(
        QStringLiteral("<p align=\"center\"><b>Внимание! </b><span style=\"color:%1;\">Подключите блок управления к питанию.</span></p>"
                       "<p align=\"center\" style=\"color:%1;\">Если возникли сложности с доступом, пишите в поддержку</p>"
                       "<p align=\"center\"><span style=\"color:%1;\">Эл. почта </span><b>%2</b></p>"
                       "<p align=\"center\"><span style=\"color:%1;\">ID устройства </span><b>%3</b></p>")
            .arg(Theme::MutedText.name(), supportAddress(), m_deviceId.toHtmlEscaped()));
}

void regform::on_loginPageButton_clicked()
{
    m_loginPageButton->setChecked(true);
    m_accountStack->setCurrentWidget(m_loginPage);
}

void regform::on_createLoginPageButton_clicked()
{
    m_createLoginPageButton->setChecked(true);
    m_accountStack->setCurrentWidget(m_createLoginPage);
}

void regform::on_closeAppButton_clicked()
{
    QApplication::quit();
}

// What the user typed is theirs until they use it: the link's repeated form updates leave it.
void regform::setUserEdited(QLineEdit *edit, bool edited)
{
    if (edit == m_loginEdit)
        m_loginUserEdited = edited;
    else if (edit == m_passwordEdit)
        m_passwordUserEdited = edited;
}

bool regform::userEdited(const QLineEdit *edit) const
{
    return (edit == m_loginEdit && m_loginUserEdited) || (edit == m_passwordEdit && m_passwordUserEdited);
}

void regform::setGrey(QLineEdit *edit, bool grey)
{
    setEditColour(edit, grey ? Theme::PlaceholderText : Theme::DarkText);
    if (edit == m_loginEdit)
        m_loginGrey = grey;
    else if (edit == m_passwordEdit)
        m_passwordGrey = grey;
}

bool regform::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        auto *edit = qobject_cast<QLineEdit *>(watched);
        const bool grey = (edit == m_loginEdit && m_loginGrey) || (edit == m_passwordEdit && m_passwordGrey);
        if (edit && grey && !edit->isReadOnly()) {
            // Only a hint goes: a value the edit holds (a remembered password) stays for sign-in.
            if (edit->text() == edit->placeholderText())
                edit->clear();
            setGrey(edit, false);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void regform::onEditingFinished()
{
    for (QLineEdit *edit : {m_loginEdit, m_passwordEdit})
        if (edit->text().isEmpty())
            setGrey(edit, true);
}

void regform::onLoginButtonReleased()
{
    if (m_mode == Offline) {
        showNoteOrShorten(this, QStringLiteral("Нет связи с устройством"), NoteClose::AfterTicks, 10);
        return;
    }
    const QString login = m_loginEdit->text();
    const QString password = m_passwordEdit->text();
    if (!login.isEmpty() && !password.isEmpty()) {
        setUserEdited(m_loginEdit, false);
        setUserEdited(m_passwordEdit, false);
        if (m_mode == CreateAccount)
            emit createAccountRequested();
        emit LoadAccount(login, password, 0);
        return;
    }
    if (login.isEmpty())
        showNote(this, QStringLiteral("Задайте логин аккаунта"), NoteClose::Popup, 10);
    else
        showNote(this, QStringLiteral("Задайте пароль аккаунта"), NoteClose::Popup, 10);
}

void regform::onRegistrationButtonReleased()
{
    setUserEdited(m_loginEdit, false);
    setUserEdited(m_passwordEdit, false);
    emit LoadAccount(m_loginEdit->text(), m_passwordCreateEdit->text(), 1);
}
