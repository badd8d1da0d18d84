#include "keymap/map_png.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdint>

#include "win/atomic_file.h"
#include "win/com_objects.h"
#include "win/wide_text.h"

namespace {

// A top-down 32-bit DIB section selected into a memory context.
class OffscreenBitmap {
public:
    OffscreenBitmap(int width, int height) : dc_(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        if (dc_ != nullptr)
            bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        if (bitmap_ != nullptr)
            previous_ = SelectObject(dc_, bitmap_);
    }
    ~OffscreenBitmap()
    {
        if (previous_ != nullptr)
            SelectObject(dc_, previous_);
        if (bitmap_ != nullptr)
            DeleteObject(bitmap_);
        if (dc_ != nullptr)
            DeleteDC(dc_);
    }
    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;

    bool Ready() const { return previous_ != nullptr && bits_ != nullptr; }
    HDC Dc() const { return dc_; }
    uint8_t* Bits() const { return bits_; }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint8_t* bits_ = nullptr;
};

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
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out())) ||
        FAILED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Out(), options.Out())) || FAILED(frame->Initialize(options.Get())) ||
        FAILED(frame->SetSize(width, height)))
        return false;
    // The encoder answers with the nearest format it can write; 24-bit BGR is
    // one of the PNG encoder's own on Windows and under Wine.
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
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

bool WriteKeyMapPng(const char* path, const KeyMapPicture& picture, int width, int height)
{
    return path != nullptr && WriteKeyMapPng(WideFromCodePage(path), picture, width, height);
}

bool WriteKeyMapPng(const std::wstring& path, const KeyMapPicture& picture, int width, int height)
{
    if (path.empty() || width < 1 || height < 1 || width > LargestKeyMapPngSide || height > LargestKeyMapPngSide)
        return false;
    ComApartment com;
    if (!com.Ready())
        return false;
    OffscreenBitmap bitmap(width, height);
    if (!bitmap.Ready())
        return false;
    DrawKeyMap(bitmap.Dc(), {0, 0, width, height}, picture);
    GdiFlush();

    ComRef<IWICImagingFactory> factory;
    ComRef<IStream> stream;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      factory.OutVoid())) &&
           SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())) &&
           EncodePng(factory.Get(), bitmap.Bits(), width, height, stream.Get()) &&
           WriteStreamAtomically(path, stream.Get());
}
