// The update document parser and the version comparison on arbitrary response bodies.
#include "fuzzhost.h"
#include "text/files.h"
#include "update/updater.h"

#include <cstdint>

namespace {
class NoWindow : public UpdaterWindow {
  public:
    void closeWindow() override {}
    void makeVisible() override {}
    void setCaption(const QString&) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_update";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    withForm([&](MainForm& f) {
        NoWindow window;
        UpdaterForm u(f, window);
        u.RunVersion = "3.1";
        u.RunBuild = "0.0";
        u.UpdateDoc =
            files::decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        u.ParseUpdateDocument();
        if (u.MissingTags == 0)
            u.CompareVersions();
    });
    return 0;
}
