// Arbitrary bytes and mangled saved data fed to the forms' saved-data loader
// and the property store: whatever the file holds, loading ends in a button
// or in the toolkit's error, never in a crash, a hang or a sanitizer report.
// TAVRIN_FUZZ_SEED replays a run, TAVRIN_FUZZ_RUNS sets its length.
#include "CommandTestSupport.h"

#include "toolkit/PropertyBag.h"
#include "toolkit/TkError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace command_test;

namespace {

const QString kButton = QStringLiteral("CommandOK");

quint32 seedOf()
{
    bool ok = false;
    quint32 seed = qEnvironmentVariable("TAVRIN_FUZZ_SEED").toUInt(&ok);
    seed = ok ? seed : QRandomGenerator::system()->generate();
    std::fprintf(stderr, "saved-data fuzz seed %u\n", seed);
    return seed;
}

int runs()
{
    const int runs = qEnvironmentVariableIntValue("TAVRIN_FUZZ_RUNS");
    return runs > 0 ? runs : 1500;
}

class Mangler {
public:
    explicit Mangler(quint32 seed) : m_random(seed) {}

    int pick(int n) { return int(m_random.bounded(quint32(n))); }

    QJsonValue anyValue(int depth = 0)
    {
        static const double extremes[] = {0,
                                          -1,
                                          1,
                                          500,
                                          -500,
                                          0.5,
                                          1e15,
                                          -1e15,
                                          1e308,
                                          -1e308,
                                          2147483647.0,
                                          2147483648.0,
                                          -2147483649.0,
                                          32767,
                                          32768,
                                          65535,
                                          4294967295.0,
                                          9.0e15,
                                          5e-324};
        switch (pick(depth > 2 ? 5 : 7)) {
        case 0:
            return extremes[pick(int(std::size(extremes)))];
        case 1:
            return double(qint32(m_random.generate()));
        case 2:
            return pick(2) == 0;
        case 3:
            return anyString();
        case 4:
            return QJsonValue(QJsonValue::Null);
        case 5: {
            QJsonArray a;
            for (int i = pick(4); i > 0; --i)
                a.append(anyValue(depth + 1));
            return a;
        }
        default: { // a font
            QJsonObject f{{QStringLiteral("name"), pick(3) ? anyString() : QStringLiteral("宋体")}};
            for (const char *key : {"size", "bold", "italic", "charset"})
                if (pick(3))
                    f.insert(QLatin1String(key), pick(2) ? anyValue(depth + 1) : QJsonValue(9));
            return f;
        }
        }
    }

    QString anyString()
    {
        QString s;
        switch (pick(6)) {
        case 0:
            return s;
        case 1:
            return QString(pick(50000), QChar(u'&'));
        case 2:
            return QStringLiteral("a\0b\r\n\t\x1b&&&x").append(QChar(0xD800));
        case 3:
            return QStringLiteral("宋体");
        case 4:
            return QStringLiteral("Courier New");
        default:
            for (int i = pick(40); i > 0; --i)
                s.append(QChar(char16_t(m_random.bounded(0x30000u) & 0xFFFF)));
            return s;
        }
    }

    // The shipped data with some of its values replaced, removed or joined
    // by unknown keys, keys in other letter cases and control names.
    QJsonObject mangled(QJsonObject form)
    {
        QJsonObject button = form.value(kButton).toObject();
        static const char *known[] = {"_left",
                                      "_top",
                                      "_extentx",
                                      "_extenty",
                                      "caption",
                                      "buttontype",
                                      "font",
                                      "percent",
                                      "midcolor",
                                      "endcolor",
                                      "forecolor",
                                      "backcolor",
                                      "enabled",
                                      "colorscheme",
                                      "xptype",
                                      "rectcolor",
                                      "showfocusrect",
                                      "hwnd",
                                      "officexpfillcolor",
                                      "mousemovemidcolor",
                                      "MOUSEDOWNENDCOLOR"};
        for (int i = 1 + pick(6); i > 0; --i) {
            const QString key = QLatin1String(known[pick(int(std::size(known)))]);
            switch (pick(4)) {
            case 0:
                button.remove(key);
                break;
            case 1:
                button.insert(key.toUpper(), anyValue());
                break;
            default:
                button.insert(key, anyValue());
                break;
            }
        }
        form.insert(kButton, pick(8) == 0 ? anyValue() : QJsonValue(button));
        return form;
    }

    // Random bytes, or the shape with bytes changed, cut out or put in.
    QByteArray bytes(QByteArray b)
    {
        if (pick(3) == 0 || b.isEmpty()) {
            b.clear();
            for (int i = pick(600); i > 0; --i)
                b.append(char(m_random.generate()));
            return b;
        }
        for (int i = 1 + pick(8); i > 0 && !b.isEmpty(); --i) {
            const int at = pick(int(b.size()));
            switch (pick(3)) {
            case 0:
                b[at] = char(m_random.generate());
                break;
            case 1:
                b.remove(at, 1 + pick(16));
                break;
            default:
                b.insert(at, "{[\"\\u0000,:1e999"[pick(16)]);
                break;
            }
        }
        return b;
    }

private:
    QRandomGenerator m_random;
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Loads the button, paints both looks and saves it again; the toolkit's
// error is a sound end, anything else escapes and fails the run.
void load(tk::Form &form, const QString &path)
{
    try {
        auto button = Command::fromSaved(&form, path, kButton);
        button->PaintButton(command::kPressedLook, true);
        button->PaintButton(command::kNormalLook, true);
        const tk::PropertyBag saved = button->saved();
        QStringList keys = saved.keys(), again = tk::PropertyBag::fromJson(saved.toJson()).keys();
        keys.sort();
        again.sort();
        EXPECT_EQ(again, keys) << "what a button saves reads back whole";
    } catch (const tk::TkError &) {
    }
}

} // namespace

TEST(SavedDataFuzz, AnyBytesOrMangledValuesLoadToAButtonOrTheToolkitsError)
{
    const quint32 seed = seedOf();
    SCOPED_TRACE(QStringLiteral("replay with TAVRIN_FUZZ_SEED=%1").arg(seed).toStdString());
    Mangler mangle(seed);
    QFile shipped(QStringLiteral(":/skin/FormOpenUrl.buttons.json"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray shippedBytes = shipped.readAll();
    const QJsonObject shippedForm = QJsonDocument::fromJson(shippedBytes).object();
    ASSERT_TRUE(shippedForm.contains(kButton));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("form.json"));
    tk::Form form;
    for (int run = 0, n = runs(); run < n; ++run) {
        const QByteArray json = QJsonDocument(mangle.mangled(shippedForm)).toJson();
        const QByteArray bytes =
            mangle.pick(2) == 0 ? json : mangle.bytes(mangle.pick(2) ? json : shippedBytes);
        ASSERT_TRUE(writeFile(path, bytes));
        load(form, path);
        ASSERT_FALSE(::testing::Test::HasFailure()) << "run " << run << " of seed " << seed << " with:\n"
                                                    << bytes.left(2000).toStdString();
    }
    load(form, dir.filePath(QStringLiteral("missing.json")));
}

TEST(SavedDataFuzz, ThePropertyStoreKeepsItsRulesForAnyKeysAndValues)
{
    const quint32 seed = seedOf();
    SCOPED_TRACE(QStringLiteral("replay with TAVRIN_FUZZ_SEED=%1").arg(seed).toStdString());
    Mangler mangle(seed);
    for (int run = 0, n = runs(); run < n && !::testing::Test::HasFailure(); ++run) {
        QJsonObject o;
        for (int i = mangle.pick(8); i > 0; --i)
            o.insert(mangle.anyString().left(64), mangle.anyValue());
        tk::PropertyBag bag = tk::PropertyBag::fromJson(o);
        const QString key = mangle.anyString().left(8);
        const QVariant value =
            tk::PropertyBag::fromJson(QJsonObject{{QStringLiteral("v"), mangle.anyValue()}})
                .ReadProperty(QStringLiteral("v"));
        bag.WriteProperty(key, value, value);
        EXPECT_FALSE(bag.contains(key)) << "a value equal to its default is not kept";
        bag.WriteProperty(key, value);
        EXPECT_TRUE(tk::PropertyBag::sameValue(bag.ReadProperty(key), value) || !value.isValid());
        bag.WriteProperty(QStringLiteral("PerCent"), value);
        EXPECT_TRUE(bag.contains(QStringLiteral("percent")));
        EXPECT_LE(tk::PropertyBag::fromJson(bag.toJson()).keys().size(), bag.keys().size());
    }
}

TEST(SavedDataFuzz, ASavedSizePastAnyScreenIsRefusedOrDrawsNothingInsteadOfTakingGigabytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("form.json"));
    const auto saved = [&](double extent) {
        const QJsonObject button{{QStringLiteral("_left"), 0},
                                 {QStringLiteral("_top"), 0},
                                 {QStringLiteral("_extentx"), extent},
                                 {QStringLiteral("_extenty"), extent}};
        return writeFile(path, QJsonDocument(QJsonObject{{kButton, button}}).toJson());
    };
    tk::Form form;
    ASSERT_TRUE(saved(1.0e12));
    EXPECT_EQ(errorOf([&] { Command::fromSaved(&form, path, kButton); }), tk::kInvalidPropertyValue);

    ASSERT_TRUE(saved(200000)); // 13333 pixels square
    const auto huge = Command::fromSaved(&form, path, kButton);
    EXPECT_EQ(huge->W(), 13333);
    EXPECT_TRUE(huge->surface().image().isNull());
    EXPECT_EQ(huge->surface().GetPixel(0, 0), tk::CLR_INVALID);
}
