#include "paint/picture_png.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdint>

#include "paint/paint_tools.h"
#include "win/atomic_file.h"
#include "win/com_ids.h"
#include "win/com_objects.h"
#include "win/wide_text.h"

namespace {

// Blue, green, red and an unused byte per pixel, to blue, green and red at the
// start of each row: GDI leaves the fourth byte 0, which as alpha would make
// the picture transparent. Done in place, leftwards never overtaking the reads.
void PackRows(uint8_t* bits, int width, int height)
{
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bits + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = row[4 * x];
            row[3 * x + 1] = row[4 * x + 1];
            row[3 * x + 2] = row[4 * x + 2];
        }
    }
}

bool EncodePng(IWICImagingFactory* factory, uint8_t* bits, int width, int height, IStream* stream)
{
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    if (FAILED(factory->CreateEncoder(PngContainerFormat, nullptr, encoder.Out())) ||
        FAILED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Out(), options.Out())) || FAILED(frame->Initialize(options.Get())) ||
        FAILED(frame->SetSize(width, height)))
        return false;
    // The encoder answers with the nearest format it can write; 24-bit BGR is
    // one of the PNG encoder's own on Windows and under Wine.
    WICPixelFormatGUID format = Bgr24PixelFormat;
    if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, Bgr24PixelFormat))
        return false;
    PackRows(bits, width, height);
    UINT stride = static_cast<UINT>(width) * 4;
    return SUCCEEDED(frame->WritePixels(height, stride, stride * height, bits)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}

bool WriteStreamAtomically(const std::wstring& path, IStream* stream)
{
    STATSTG status = {};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&status, STATFLAG_NONAME)) || status.cbSize.QuadPart > MAXDWORD ||
        FAILED(GetHGlobalFromStream(stream, &memory)))
        return false;
    const void* bytes = GlobalLock(memory);
    if (bytes == nullptr)
        return false;
    bool written = WriteFileAtomically(
        path, {std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(status.cbSize.QuadPart))},
        WriteMode::Replace);
    GlobalUnlock(memory);
    return written;
}

} // namespace

bool WritePicturePng(const std::wstring& path, int width, int height, PictureDrawing draw, const void* context)
{
    if (path.empty() || draw == nullptr || width < 1 || height < 1 || width > LargestPicturePngSide ||
        height > LargestPicturePngSide)
        return false;
    ComApartment com;
    if (!com.Ready())
        return false;
    OffscreenBitmap bitmap(width, height);
    if (!bitmap.Ready())
        return false;
    draw(bitmap.Dc(), {0, 0, width, height}, context);
    GdiFlush();

    ComRef<IWICImagingFactory> factory;
    ComRef<IStream> stream;
    return SUCCEEDED(CoCreateInstance(ImagingFactoryClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                                      factory.OutVoid())) &&
           SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())) &&
           EncodePng(factory.Get(), bitmap.Bits(), width, height, stream.Get()) &&
           WriteStreamAtomically(path, stream.Get());
}

bool WritePicturePng(const char* path, int width, int height, PictureDrawing draw, const void* context)
{
    return path != nullptr && WritePicturePng(WideFromCodePage(path), width, height, draw, context);
}
