#include "language.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QSettings>
#include <QTranslator>
#include <QVariant>

#include <array>
#include <memory>

namespace Language {
namespace {

// The properties through which widgets show captions.
constexpr std::array kCaptionProperties{"text", "title", "windowTitle", "placeholderText",
                                        "toolTip"};
// Each remembered property keeps {context, source, text last set} under this prefix.
constexpr char kRecordPrefix[] = "tarvikTr_";

QString g_current = QString::fromLatin1(kChinese);

QSettings UserSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarvik"),
                     QStringLiteral("Settings"));
}

bool HasCjk(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

QString Translate(const QStringList &record)
{
    return QCoreApplication::translate(record[0].toUtf8().constData(),
                                       record[1].toUtf8().constData());
}

void Remember(QObject *object, const char *property, QStringList record)
{
    const QString text = Translate(record);
    record << text;
    object->setProperty(property, text);
    object->setProperty(QByteArray(kRecordPrefix).append(property).constData(), record);
}

// Translates again the properties of `object` whose value is still the one set last.
void Retranslate(QObject *object)
{
    for (const QByteArray &name : object->dynamicPropertyNames()) {
        if (!name.startsWith(kRecordPrefix))
            continue;
        QStringList record = object->property(name.constData()).toStringList();
        const QByteArray property = name.mid(sizeof kRecordPrefix - 1);
        if (record.size() != 3 || object->property(property.constData()).toString() != record[2])
            continue;
        record.removeLast();
        Remember(object, property.constData(), record);
    }
}

class LanguageChangeFilter : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LanguageChange)
            Retranslate(watched);
        return false;
    }
};

void WatchLanguageChanges()
{
    static QPointer<QObject> filter; // goes with the application that owns it
    if (filter || !QCoreApplication::instance())
        return;
    filter = new LanguageChangeFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

std::array<std::unique_ptr<QTranslator>, 2> g_translators;

} // namespace

QString ForLocale(const QString &localeName)
{
    const bool chinese = localeName.startsWith(QLatin1String("zh")) || localeName == u"C" ||
                         localeName.startsWith(QLatin1String("C.")) || localeName == u"POSIX";
    return QString::fromLatin1(chinese ? kChinese : kEnglish);
}

QString AtStart()
{
    const QString pinned = qEnvironmentVariable(kEnvVariable);
    if (pinned == QLatin1String(kChinese) || pinned == QLatin1String(kEnglish))
        return pinned;
    const QString chosen = UserSettings().value(QLatin1String(kSettingsKey)).toString();
    if (chosen == QLatin1String(kChinese) || chosen == QLatin1String(kEnglish))
        return chosen;
    return ForLocale(QLocale::system().name());
}

void Apply(const QString &code)
{
    WatchLanguageChanges();
    for (auto &translator : g_translators) {
        if (translator)
            QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    g_current = code == QLatin1String(kEnglish) ? QString::fromLatin1(kEnglish)
                                                : QString::fromLatin1(kChinese);
    const QString qtPath = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const bool english = g_current == QLatin1String(kEnglish);
    g_translators[0] = std::make_unique<QTranslator>();
    if (g_translators[0]->load(
            english ? QStringLiteral("qtbase_en") : QStringLiteral("qtbase_zh_CN"), qtPath))
        QCoreApplication::installTranslator(g_translators[0].get());
    g_translators[1] = std::make_unique<QTranslator>();
    if (english && g_translators[1]->load(QStringLiteral(":/i18n/tarvik_en.qm")))
        QCoreApplication::installTranslator(g_translators[1].get());
    // Going back to the source texts removes translators only: say so to the windows.
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
}

void Choose(const QString &code)
{
    Apply(code);
    UserSettings().setValue(QLatin1String(kSettingsKey), g_current);
}

QString Current()
{
    return g_current;
}

void SetTranslated(QObject *object, const char *property, const char *context, const char *source)
{
    WatchLanguageChanges();
    Remember(object, property, {QString::fromUtf8(context), QString::fromUtf8(source)});
}

void TranslateTree(QObject *root)
{
    QList<QObject *> objects = root->findChildren<QObject *>();
    objects.prepend(root);
    for (QObject *object : objects) {
        if (object->inherits("QLineEdit"))
            continue; // what the user typed, never a caption
        for (const char *property : kCaptionProperties) {
            const QVariant value = object->property(property);
            if (object->property(QByteArray(kRecordPrefix).append(property).constData()).isValid())
                continue; // already in step with the language
            if (value.typeId() == QMetaType::QString && HasCjk(value.toString()))
                SetTranslated(object, property, kCaptionContext,
                              value.toString().toUtf8().constData());
        }
    }
}

void RetranslateTree(QObject *root)
{
    Retranslate(root);
    for (QObject *child : root->findChildren<QObject *>())
        Retranslate(child);
}

} // namespace Language
