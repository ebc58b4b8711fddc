// Mouse, keyboard, focus and hover tracking: what the button raises and shows.
#include "CommandTestSupport.h"

using namespace command_test;

TEST_F(CommandOnForm, EventSequencesRaiseTheirEventsAndShowTheirLooks)
{
    const std::pair<const char *, const char *> rows[] = {
        // Space presses and releases the button like a click; a release without its press is only a key-up.
        {"5 focus +Space ? -Space ? +A -Space",
         "KeyDown 32|MouseDown 1,1,1,1|KeyPress 32|pressed focus lit|KeyUp 32|MouseUp 1,1,1,1|Click|up focus|"
         "KeyDown 65|KeyPress 97|KeyUp 32"},
        // The arrows move the focus on (Right, Down) or back (Left, Up), unless the host sets KeyCode to 0.
        {"5 focus ? Right ? Down Left ? Up ?", "up focus|KeyDown 39|KeyUp 39|up|up|up focus"},
        {"5 focus zero +Space ? -Space Right ?",
         "KeyDown 32|KeyPress 32|up focus|KeyUp 32|KeyDown 39|KeyUp 39|up focus"},
        // A left click raises down, up and Click; a right press keeps the look.
        {"5 +L ? -L ? +R ? -R",
         "MouseDown 1,0,4,6|pressed focus lit|MouseUp 1,0,4,6|Click|up focus|MouseDown 2,1,7,8|up focus|"
         "MouseUp 2,1,7,8"},
        // After a left click, a double click presses the button again, and its release is no click.
        {"5 L *L ? -L ?",
         "MouseDown 1,0,4,6|MouseUp 1,0,4,6|Click|MouseDown 1,1,1,1|pressed focus lit|MouseUp "
         "1,0,4,6|up focus"},
        // Hovering starts the timer, which raises MouseOut once the cursor is past the edges (still inside).
        {"5 5,5 ? 40,24! ? 41,5! ?",
         "MouseMove 0,0,5,5|up hover timer@10 lit|up hover timer@10 lit|MouseOut|up"},
        // Leaving with the button held shows the normal look at the tick, coming back the pressed one.
        {"5 +L 70,5+L ? 70,5! ? 40,24+L ? -L",
         "MouseDown 1,0,4,6|pressed timer@10 focus lit|MouseOut|up focus|MouseMove 1,0,40,24|"
         "pressed timer@10 focus lit|MouseUp 1,0,4,6|Click"},
        {"5 Enabled=0 focus L 5,5 Space@ &o ?", "up"},
        // The access key clicks the button, releasing the look after a Space press.
        {"5 Caption=&Open Alt+O focus +Space &o ?",
         "Click|KeyDown 32|MouseDown 1,1,1,1|KeyPress 32|Click|up focus key=o"},
        // The access key comes from the first single ampersand.
        {"1 Caption=A&&B ? Caption=x&&y&z ? Caption=End& ? Caption=& ? Caption=&& ? Caption=Save&As ? "
         "Caption=a&&&b ?",
         "up|up key=z|up|up|up|up key=a|up key=b"},
    };
    for (const auto &[words, expected] : rows)
        EXPECT_EQ(run(QString::fromUtf8(words)), expected) << words;
}
