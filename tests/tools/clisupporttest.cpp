// The pieces the commands share, in process: the JSON text rule and the channel summary.
#include <gtest/gtest.h>
#include <QByteArray>
#include <QJsonObject>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/geometry.h"
#include "settings/settings.h"
#include "tools/channelsummary.h"
#include "tools/jsonoutput.h"

namespace {

TEST(JsonPath, ValidUtf8AsIsOtherBytesRecoverableFromBase64) {
    struct Row {
        const char* name;
        QByteArray bytes;
        QString shown;
        bool base64;
    };
    const Row rows[] = {
        {"ASCII", "/shows/a.ild", "/shows/a.ild", false},
        {"UTF-8", "/shows/\xC3\xA9t\xC3\xA9.ild", QString::fromUtf8("/shows/\xC3\xA9t\xC3\xA9.ild"),
         false},
        {"Latin-1 byte", "/shows/\xE9t\xE9.ild",
         QString::fromUtf8("/shows/\xEF\xBF\xBDt\xEF\xBF\xBD.ild"), true},
        {"cut sequence at the end", "/a\xC3", QString::fromUtf8("/a\xEF\xBF\xBD"), true},
        {"overlong slash", "/a\xC0\xAF", QStringLiteral("/a") + QChar(0xFFFD) + QChar(0xFFFD),
         true},
        {"replacement character itself", "/\xEF\xBF\xBD.ild",
         QString::fromUtf8("/\xEF\xBF\xBD.ild"), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QJsonObject object;
        SetJsonPath(object, "file", row.bytes);
        EXPECT_EQ(object["file"].toString(), row.shown);
        EXPECT_EQ(object.contains("file_base64"), row.base64);
        if (row.base64) {
            EXPECT_EQ(QByteArray::fromBase64(object["file_base64"].toString().toLatin1()),
                      row.bytes);
        }
    }
}

class ChannelSummaryTest : public testing::Test {
protected:
    static void SetUpTestSuite() { FillAngleTables(); }
    CScene scene{DefaultSettings()};
    CChannel* channel = scene.AddChannel();
};

TEST_F(ChannelSummaryTest, CountsBoxAndColoursOfEveryFrame) {
    CThing* a = channel->AddFrame()->AddThing();
    (void)a->AddVertex(-2048, 10, 0, 0x0000FF, 0);
    (void)a->AddVertex(2047, -3, 5, 0, 1);
    (void)a->AddVertex(0, 0, -7, 0x0000FF, 0);
    CThing* b = channel->AddFrame()->AddThing();
    (void)b->AddVertex(1, 1, 1, 0x00FF00, 0);
    (void)channel->AddFrame(); // an empty frame counts as a frame

    const ChannelSummary s = SummariseChannel(*channel);
    EXPECT_EQ(s.frames, 3);
    EXPECT_EQ(s.counts.points, 4);
    EXPECT_EQ(s.counts.lit, 3);
    EXPECT_EQ(s.counts.blanked, 1);
    EXPECT_EQ(s.colours, 2);
    ASSERT_TRUE(s.box.has_value());
    EXPECT_EQ(s.box->minX, -32768);
    EXPECT_EQ(s.box->maxX, 32752);
    EXPECT_EQ(s.box->minY, -48);
    EXPECT_EQ(s.box->maxY, 160);
    EXPECT_EQ(s.box->minZ, -112);
    EXPECT_EQ(s.box->maxZ, 80);
    EXPECT_DOUBLE_EQ(s.LitShare(), 0.75);
    EXPECT_DOUBLE_EQ(s.Seconds(2), 2.0);
    EXPECT_DOUBLE_EQ(s.FramesPerSecond(2).value_or(-1), 1.5);
    EXPECT_EQ(CountPoints(*channel->FirstFrame()).points, 3);
}

TEST_F(ChannelSummaryTest, WithoutPointsThereIsNoBoxAndNoFrameRate) {
    (void)channel->AddFrame();
    const ChannelSummary s = SummariseChannel(*channel);
    EXPECT_EQ(s.frames, 1);
    EXPECT_EQ(s.counts.points, 0);
    EXPECT_FALSE(s.box.has_value());
    EXPECT_EQ(s.LitShare(), 0.0);
    EXPECT_EQ(s.Seconds(30000), 0.0);
    EXPECT_FALSE(s.FramesPerSecond(30000).has_value());
}

} // namespace
