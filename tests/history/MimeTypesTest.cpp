#include <gtest/gtest.h>

#include "platform/MimeTypes.h"
#include "platform/Pasteboard.h"

namespace quillet {
namespace {

TEST(MimeTypes, MapsOwnerFormatsToTypeIdentifiers) {
    const QStringList xTargets{"TARGETS",      "MULTIPLE",    "TIMESTAMP",
                               "SAVE_TARGETS", "UTF8_STRING", "text/plain;charset=utf-8"};
    EXPECT_EQ(mapClipboardFormats(xTargets, {}, {}), QStringList{PasteboardType::string});
    EXPECT_EQ(mapClipboardFormats({"image/png", "image/bmp"}, {}, {}),
              (QStringList{PasteboardType::png, PasteboardType::tiff}));
    EXPECT_EQ(mapClipboardFormats({"image/jpeg"}, {}, {}), QStringList{PasteboardType::tiff});
}

TEST(MimeTypes, OnlyLocalFileListsAreFilesAndOnlyMarkedSecretsAreConcealed) {
    const QStringList uriList{"text/uri-list", "text/plain"};
    EXPECT_TRUE(mapClipboardFormats(uriList, "file:///home/a.txt\r\n", {})
                    .contains(PasteboardType::fileURL));
    EXPECT_TRUE(mapClipboardFormats({"x-special/gnome-copied-files"}, "copy\nfile:///tmp/x", {})
                    .contains(PasteboardType::fileURL));
    // A copied web link is text, not a file.
    EXPECT_EQ(mapClipboardFormats(uriList, "https://example.org/\n", {}),
              QStringList{PasteboardType::string});

    const QStringList hinted{"text/plain", "x-kde-passwordManagerHint"};
    EXPECT_TRUE(mapClipboardFormats(hinted, {}, "secret").contains(PasteboardType::concealed));
    EXPECT_FALSE(mapClipboardFormats(hinted, {}, "public").contains(PasteboardType::concealed));
}

}  // namespace
}  // namespace quillet
