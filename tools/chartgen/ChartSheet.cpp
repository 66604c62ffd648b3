#include "ChartSheet.h"

#include <algorithm>
#include <array>
#include <thread>
#include <vector>

#include "ChartPage.h"
#include "PagePlan.h"
#include "ParallelRows.h"
#include "PhotoComposer.h"

namespace {

constexpr std::uint64_t kSheetSeed = 0x7D3A2C9151E4B08Full;

}  // namespace

QImage ChartSheet::render() const {
    const std::array<PagePlan, 4> plans = PagePlan::sheet();
    const QSize cell(kSize.width() / 2, kSize.height() / 2);

    // Pages are independent, so they are drawn side by side on the available cores.
    std::array<QImage, 4> pages;
    const int workers = std::min(ParallelRows::workerCount(), 4);
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            for (int i = w; i < 4; i += workers) pages[i] = ChartPage(plans[i], cell).render();
        });
    }
    for (std::thread& t : threads) t.join();

    PhotoComposer composer(kSize, kSheetSeed);
    for (int i = 0; i < 4; ++i) {
        const QRect place(QPoint((i % 2) * cell.width(), (i / 2) * cell.height()), cell);
        composer.addPhoto(pages[i], plans[i], place);
    }
    return composer.compose();
}
