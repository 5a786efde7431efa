// The two translation tables as the program loads them.
#include <gtest/gtest.h>

#include <QFile>
#include <QTranslator>
#include <QXmlStreamReader>
#include <set>
#include <utility>

namespace caraudio::app::test {
namespace {

using Message = std::pair<QString, QString>;  // context, source text

// The messages of a table's source file.
std::set<Message> Messages(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    std::set<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"source")
            messages.emplace(context, xml.readElementText());
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return messages;
}

// A text in one table only is shown untranslated in the other language.
TEST(TranslationTables, EveryTextIsInBothTables) {
    std::set<Message> all;
    for (const char* table : {"cn", "en"}) {
        const auto messages = Messages(QStringLiteral(CARAUDIO_TRANSLATIONS "/%1.ts").arg(table));
        all.insert(messages.begin(), messages.end());
    }
    ASSERT_GT(all.size(), 100u) << "both files were read";
    for (const char* table : {"cn", "en"}) {
        QTranslator compiled;
        ASSERT_TRUE(compiled.load(QStringLiteral(":/i18n/%1.qm").arg(table))) << table;
        for (const auto& [context, source] : all)
            EXPECT_FALSE(compiled.translate(context.toUtf8(), source.toUtf8()).isEmpty())
                << "table " << table << " lacks [" << context.toStdString() << "] " << source.toStdString();
    }
}

}  // namespace
}  // namespace caraudio::app::test
