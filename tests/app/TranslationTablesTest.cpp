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

// English is the source language: the en table holds only the few texts it
// words differently. Every text either table knows must read in Chinese.
TEST(TranslationTables, EveryTextHasAChineseTranslation) {
    std::set<Message> all;
    for (const char* table : {"cn", "en"}) {
        const auto messages = Messages(QStringLiteral(CARAUDIO_TRANSLATIONS "/%1.ts").arg(table));
        all.insert(messages.begin(), messages.end());
    }
    ASSERT_GT(all.size(), 100u) << "both files were read";
    QTranslator chinese;
    ASSERT_TRUE(chinese.load(QStringLiteral(":/i18n/cn.qm")));
    for (const auto& [context, source] : all)
        EXPECT_FALSE(chinese.translate(context.toUtf8(), source.toUtf8()).isEmpty())
            << "cn lacks [" << context.toStdString() << "] " << source.toStdString();
}

}  // namespace
}  // namespace caraudio::app::test
