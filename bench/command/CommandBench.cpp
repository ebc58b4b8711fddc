// A forced repaint of the gradient button in each style, beside Qt's own push
// button painted into an image of the same size, in the same run.
#include "Command.h"
#include "toolkit/Form.h"

#include <QImage>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

const QString kCaption = QStringLiteral("打开网址");

void PaintButton(benchmark::State &state)
{
    const auto style = int32_t(state.range(0));
    const auto w = int(state.range(1)), h = int(state.range(2));
    tk::Form form;
    command::Command button(&form, QStringLiteral("Command1"));
    button.InitProperties();
    button.setButtonType(style);
    button.setCaption(kCaption);
    button.Move(0, 0, float(w * 15), float(h * 15));
    for (auto _ : state) {
        button.PaintButton(command::kNormalLook, true);
        benchmark::DoNotOptimize(button.surface().image().constBits());
    }
}

void QtPushButton(benchmark::State &state)
{
    const auto w = int(state.range(0)), h = int(state.range(1));
    QPushButton button(kCaption);
    button.setFont(QFont(QStringLiteral("宋体"), 9));
    button.resize(w, h);
    QImage image(w, h, QImage::Format_RGB32);
    for (auto _ : state) {
        button.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

} // namespace

BENCHMARK(PaintButton)->ArgNames({"style", "w", "h"})->ArgsProduct({{1, 2, 3, 4, 5}, {100}, {30}});
BENCHMARK(PaintButton)->ArgNames({"style", "w", "h"})->ArgsProduct({{1, 2, 3, 4, 5}, {300}, {60}});
BENCHMARK(QtPushButton)->ArgNames({"w", "h"})->Args({100, 30})->Args({300, 60});
