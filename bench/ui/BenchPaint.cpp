// What a paint of each presentation component costs against the least any paint of that area
// costs: one solid fill plus one copy. The goal is each within three times its floor. The eoReal
// passes look at every pixel of the label and the text is drawn up to five times, so the eoReal
// label is the figure to watch.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "toolkit/headless/SoftCanvas.h"
#include "ui/LblEffct.h"
#include "ui/NetGradient.h"

namespace {

using namespace toolkit;

void Floor(benchmark::State& state, int width, int height) {
  headless::SoftBitmap screen(width, height);
  headless::SoftBitmap source(width, height);
  Canvas& canvas = screen.GetCanvas();
  const Rect all{0, 0, width, height};
  for (auto _ : state) {
    canvas.SetBrushColor(clTeal);
    canvas.FillRect(all);
    canvas.CopyRect(all, source.GetCanvas(), all);
    benchmark::DoNotOptimize(screen.Pixels().data());
  }
  state.SetItemsProcessed(state.iterations() * width * height);
}

void BM_FloorLabel(benchmark::State& state) { Floor(state, 677, 33); }
void BM_FloorScreen(benchmark::State& state) { Floor(state, 1920, 1080); }

void PaintLabel(benchmark::State& state, bool real) {
  ui::TLabelEffect label(nullptr, "LabelEffect1");
  label.SetBounds(5, 4, 677, 33);
  label.SetCaption("Tolvek per AutoCAD");
  if (real) {
    label.SetStyleShadow(ui::eoReal);
    label.SetStyleHighlight(ui::eoReal);
  }
  headless::SoftBitmap screen(677, 33);
  for (auto _ : state) {
    screen.Raster().Texts().clear();
    label.Paint(screen.GetCanvas());
    benchmark::DoNotOptimize(screen.Pixels().data());
  }
  state.SetItemsProcessed(state.iterations() * 677 * 33);
}

void BM_TitleLabel(benchmark::State& state) { PaintLabel(state, false); }
void BM_RealLabel(benchmark::State& state) { PaintLabel(state, true); }

void BM_FullScreenGradient(benchmark::State& state) {
  ui::TNetGradient panel(nullptr, "NetGradient1");
  panel.SetBounds(0, 0, 1920, 1080);
  panel.SetFillDirection(ui::fdTopToBottom);
  panel.SetBeginColor(Rgb(26, 92, 158));
  panel.SetEndColor(clWhite);
  headless::SoftBitmap screen(1920, 1080);
  for (auto _ : state) {
    screen.Raster().Texts().clear();
    panel.Paint(screen.GetCanvas());
    benchmark::DoNotOptimize(screen.Pixels().data());
  }
  state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}

BENCHMARK(BM_FloorLabel);
BENCHMARK(BM_TitleLabel);
BENCHMARK(BM_RealLabel);
BENCHMARK(BM_FloorScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullScreenGradient)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // glibc hands freed blocks of this size back to the system and faults them in again on the
  // next paint; a program's heap keeps them, so the benchmark does too.
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
