#include "alarm/qt/AlarmAttention.h"

#include "support/AlarmFarm.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <vector>

namespace {

struct Requests {
    explicit Requests(AlarmAttention& attention) {
        attention.SetRequest([this](QWidget* window, int milliseconds) {
            windows.push_back(window);
            lasting.push_back(milliseconds);
        });
    }
    std::vector<QWidget*> windows;
    std::vector<int> lasting;
};

} // namespace

TEST(AlarmAttention, AsksEveryTickWhileTheDocumentsToneSoundsAndNotAfterItStops) {
    AlarmFarm farm({1, 2});
    QWidget window;
    auto* attention = new AlarmAttention(&window);
    EXPECT_EQ(attention->parent(), &window);
    Requests requests(*attention);
    std::size_t soundingTicks = 0;
    auto tick = [&] {
        soundingTicks += farm.doc.ToneSounding() ? 1 : 0;
        attention->Update(farm.doc.ToneSounding());
    };

    farm.Ticks(4, tick);
    EXPECT_TRUE(requests.windows.empty()) << "a quiet farm asks nothing";

    farm.alarmBits[2] = alarm_farm::kHighAlarm;
    farm.Ticks(6, tick);
    ASSERT_TRUE(farm.doc.ToneSounding());
    EXPECT_TRUE(attention->Asking());
    EXPECT_GE(soundingTicks, 4u);
    EXPECT_EQ(requests.windows.size(), soundingTicks) << "one request a sounding tick";
    EXPECT_EQ(requests.windows.back(), &window);
    // Each request outlasts the tick until the next one, and not by much.
    EXPECT_EQ(requests.lasting.back(), AlarmAttention::kRequestMilliseconds);
    EXPECT_GT(AlarmAttention::kRequestMilliseconds, 1000);
    EXPECT_LT(AlarmAttention::kRequestMilliseconds, 2000);

    farm.alarmBits[2] = 0;
    farm.Ticks(6, tick);
    ASSERT_FALSE(farm.doc.ToneSounding());
    EXPECT_FALSE(attention->Asking());
    const std::size_t asked = requests.windows.size();
    farm.Ticks(3, tick);
    EXPECT_EQ(requests.windows.size(), asked) << "no request once the tone has stopped";

    farm.alarmBits[1] = alarm_farm::kLowAlarm;
    farm.Ticks(6, tick);
    EXPECT_GT(requests.windows.size(), asked) << "a new alarm asks again";
    EXPECT_EQ(requests.windows.size(), soundingTicks);
}

TEST(AlarmAttention, TheRealRequestOnAnOffscreenWindowAndAWindowGoneAreHarmless) {
    auto* window = new QWidget;
    AlarmAttention attention(window);
    window->show();
    attention.Update(true);
    attention.Update(false);
    EXPECT_FALSE(attention.Asking());
    attention.setParent(nullptr);
    delete window;
    attention.Update(true);
}
