#include "core/base/metafile.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdlib>
#include <cstring>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

namespace {

// What the wmf library may allocate for one file: a hostile file that asks
// for more is refused rather than exhausting the memory.
constexpr size_t AllocationBudget = 256u * 1024 * 1024;

struct Budget
{
    size_t used = 0;
};

// Each block carries its size in front, so that a release gives it back.
constexpr size_t Prefix = alignof(std::max_align_t);

void *budgetMalloc(void *context, size_t size)
{
    auto *budget = static_cast<Budget *>(context);
    if (size > AllocationBudget - budget->used)
        return nullptr;
    auto *block = static_cast<unsigned char *>(std::malloc(size + Prefix));
    if (!block)
        return nullptr;
    std::memcpy(block, &size, sizeof size);
    budget->used += size;
    return block + Prefix;
}

void budgetFree(void *context, void *memory)
{
    if (!memory)
        return;
    auto *block = static_cast<unsigned char *>(memory) - Prefix;
    size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    static_cast<Budget *>(context)->used -= size;
    std::free(block);
}

void *budgetRealloc(void *context, void *memory, size_t size)
{
    if (!memory)
        return budgetMalloc(context, size);
    auto *budget = static_cast<Budget *>(context);
    auto *block = static_cast<unsigned char *>(memory) - Prefix;
    size_t old = 0;
    std::memcpy(&old, block, sizeof old);
    if (size > old && size - old > AllocationBudget - budget->used)
        return nullptr;
    auto *grown = static_cast<unsigned char *>(std::realloc(block, size + Prefix));
    if (!grown)
        return nullptr;
    std::memcpy(grown, &size, sizeof size);
    budget->used = budget->used - old + size;
    return grown + Prefix;
}

// The wmf file as SVG, or nothing when the library cannot read or draw it.
QByteArray wmfToSvg(QByteArray &bytes)
{
    Budget budget;
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.context = &budget;
    options.malloc = budgetMalloc;
    options.realloc = budgetRealloc;
    options.free = budgetFree;
    options.function = wmf_svg_function;
    // Nothing is written to the terminal: a damaged file is only refused.
    const unsigned long flags = WMF_OPT_ALLOC | WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR
                                | WMF_OPT_NO_DEBUG;
    wmfAPI *api = nullptr;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api)
            wmf_api_destroy(api);
        return {};
    }
    QByteArray svg;
    wmfD_Rect box;
    unsigned int width = 0, height = 0;
    if (wmf_mem_open(api, reinterpret_cast<unsigned char *>(bytes.data()), long(bytes.size())) == wmf_E_None) {
        if (wmf_scan(api, 0, &box) == wmf_E_None
            && wmf_display_size(api, &width, &height, 96, 96) == wmf_E_None) {
            // A placeable file says its size: its box in units of so many an
            // inch, drawn at 96 pixels an inch as the screen shows it.
            const wmfPlaceableMetaHeader &placed = api->PlaceableMetaHeader;
            if (api->File && api->File->placeable && placed.Inch > 0) {
                width = unsigned(qAbs(int(placed.Right) - int(placed.Left))) * 96u / placed.Inch;
                height = unsigned(qAbs(int(placed.Bottom) - int(placed.Top))) * 96u / placed.Inch;
            }
        }
        if (api->err == wmf_E_None && width > 0 && height > 0) {
            wmf_svg_t *device = WMF_SVG_GetData(api);
            device->out = wmf_stream_create(api, nullptr);
            device->Description = nullptr;
            device->bbox = box;
            device->width = width;
            device->height = height;
            // Pictures inside the metafile go into the SVG itself, never
            // into files beside it.
            device->flags |= WMF_SVG_INLINE_IMAGES;
            const bool played = device->out && wmf_play(api, 0, &box) == wmf_E_None;
            if (device->out) {
                char *text = nullptr;
                unsigned long length = 0;
                wmf_stream_destroy(api, device->out, &text, &length);
                device->out = nullptr;
                if (played && text)
                    svg = QByteArray(text, qsizetype(length));
                if (text)
                    wmf_free(api, text);
            }
        }
        wmf_mem_close(api);
    }
    wmf_api_destroy(api);
    return svg;
}

// The emf file as SVG, or nothing.
QByteArray emfToSvg(QByteArray &bytes)
{
    generatorOptions options;
    std::memset(&options, 0, sizeof options);
    options.emfplus = true;
    options.svgDelimiter = true;
    char *out = nullptr;
    size_t length = 0;
    const int converted = emf2svg(bytes.data(), size_t(bytes.size()), &out, &length, &options);
    QByteArray svg;
    if (converted && out)
        svg = QByteArray(out, qsizetype(length));
    std::free(out);
    return svg;
}

} // namespace

namespace Metafile {

QStringList suffixes()
{
    return {QStringLiteral("wmf"), QStringLiteral("emf")};
}

bool handles(const QString &suffix)
{
    return suffixes().contains(suffix);
}

bool load(QIODevice *device, const QString &suffix, int maxSide, QImage *image)
{
    if (device->size() > MaxBytes)
        return false;
    QByteArray bytes = device->read(MaxBytes + 1);
    if (bytes.isEmpty() || bytes.size() > MaxBytes)
        return false;
    // The libraries are C: nothing is thrown through them, and each checks
    // every record against the end of the data it was given.
    const QByteArray svg = suffix == QLatin1String("wmf") ? wmfToSvg(bytes) : emfToSvg(bytes);
    if (svg.isEmpty())
        return false;
    QSvgRenderer renderer(svg);
    const QSize own = renderer.defaultSize();
    if (!renderer.isValid() || own.isEmpty())
        return false;
    QSize size = own;
    if (size.width() > maxSide || size.height() > maxSide)
        size = size.scaled(maxSide, maxSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    QImage drawn(size, QImage::Format_ARGB32_Premultiplied);
    if (drawn.isNull())
        return false;
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    renderer.render(&painter);
    painter.end();
    *image = drawn;
    return true;
}

} // namespace Metafile
