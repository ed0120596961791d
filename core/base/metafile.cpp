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

#include <dlfcn.h>

namespace {

// The two metafile libraries, loaded the first time a metafile picture is
// read rather than with the window: few lessons have such pictures, and the
// libraries would weigh on every start of the quiz.
struct Libraries
{
    decltype(&::wmf_api_create) wmf_api_create = nullptr;
    decltype(&::wmf_api_destroy) wmf_api_destroy = nullptr;
    decltype(&::wmf_mem_open) wmf_mem_open = nullptr;
    decltype(&::wmf_mem_close) wmf_mem_close = nullptr;
    decltype(&::wmf_scan) wmf_scan = nullptr;
    decltype(&::wmf_display_size) wmf_display_size = nullptr;
    decltype(&::wmf_play) wmf_play = nullptr;
    decltype(&::wmf_stream_create) wmf_stream_create = nullptr;
    decltype(&::wmf_stream_destroy) wmf_stream_destroy = nullptr;
    decltype(&::wmf_free) wmf_free = nullptr;
    decltype(&::wmf_svg_function) wmf_svg_function = nullptr;
    decltype(&::emf2svg) emf2svg = nullptr;
    bool wmf = false;
    bool emf = false;

    template <typename Function>
    static bool find(void *handle, const char *name, Function *function)
    {
        *function = handle ? reinterpret_cast<Function>(::dlsym(handle, name)) : nullptr;
        return *function != nullptr;
    }

    Libraries()
    {
        // Sonames the package depends on, never paths: only the system's
        // library folders are searched. Kept loaded to the process's end.
        void *w = ::dlopen("libwmf-0.2.so.7", RTLD_NOW | RTLD_LOCAL);
        wmf = find(w, "wmf_api_create", &wmf_api_create) && find(w, "wmf_api_destroy", &wmf_api_destroy)
              && find(w, "wmf_mem_open", &wmf_mem_open) && find(w, "wmf_mem_close", &wmf_mem_close)
              && find(w, "wmf_scan", &wmf_scan) && find(w, "wmf_display_size", &wmf_display_size)
              && find(w, "wmf_play", &wmf_play) && find(w, "wmf_stream_create", &wmf_stream_create)
              && find(w, "wmf_stream_destroy", &wmf_stream_destroy) && find(w, "wmf_free", &wmf_free)
              && find(w, "wmf_svg_function", &wmf_svg_function);
        emf = find(::dlopen("libemf2svg.so.1", RTLD_NOW | RTLD_LOCAL), "emf2svg", &emf2svg);
    }

    static const Libraries &get()
    {
        static const Libraries libraries;
        return libraries;
    }
};

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
    const Libraries &lib = Libraries::get();
    if (!lib.wmf)
        return {};
    Budget budget;
    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.context = &budget;
    options.malloc = budgetMalloc;
    options.realloc = budgetRealloc;
    options.free = budgetFree;
    options.function = lib.wmf_svg_function;
    // Nothing is written to the terminal: a damaged file is only refused.
    const unsigned long flags = WMF_OPT_ALLOC | WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR
                                | WMF_OPT_NO_DEBUG;
    wmfAPI *api = nullptr;
    if (lib.wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api)
            lib.wmf_api_destroy(api);
        return {};
    }
    QByteArray svg;
    wmfD_Rect box;
    unsigned int width = 0, height = 0;
    if (lib.wmf_mem_open(api, reinterpret_cast<unsigned char *>(bytes.data()), long(bytes.size())) == wmf_E_None) {
        if (lib.wmf_scan(api, 0, &box) == wmf_E_None
            && lib.wmf_display_size(api, &width, &height, 96, 96) == wmf_E_None) {
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
            device->out = lib.wmf_stream_create(api, nullptr);
            device->Description = nullptr;
            device->bbox = box;
            device->width = width;
            device->height = height;
            // Pictures inside the metafile go into the SVG itself, never
            // into files beside it.
            device->flags |= WMF_SVG_INLINE_IMAGES;
            const bool played = device->out && lib.wmf_play(api, 0, &box) == wmf_E_None;
            if (device->out) {
                char *text = nullptr;
                unsigned long length = 0;
                lib.wmf_stream_destroy(api, device->out, &text, &length);
                device->out = nullptr;
                if (played && text)
                    svg = QByteArray(text, qsizetype(length));
                if (text)
                    lib.wmf_free(api, text);
            }
        }
        lib.wmf_mem_close(api);
    }
    lib.wmf_api_destroy(api);
    return svg;
}

// The emf file as SVG, or nothing.
QByteArray emfToSvg(QByteArray &bytes)
{
    const Libraries &lib = Libraries::get();
    if (!lib.emf)
        return {};
    generatorOptions options;
    std::memset(&options, 0, sizeof options);
    options.emfplus = true;
    options.svgDelimiter = true;
    char *out = nullptr;
    size_t length = 0;
    const int converted = lib.emf2svg(bytes.data(), size_t(bytes.size()), &out, &length, &options);
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
