// framegen: draws the eighteen frames and writes them as RLE8 bitmaps.
// Usage: framegen OUTPUT_DIR   (writes OUTPUT_DIR/frame01.bmp ... frame18.bmp)
#include <cstdio>
#include <exception>
#include <numbers>
#include <string>

#include "bmp_writer.h"
#include "drawing.h"
#include "frames/frame_set.h"
#include "kinematics.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    try {
        using namespace framegen;
        const FitResult fit = FitMechanism();
        for (const auto& [name, s] : {std::pair{"left", fit.dims.left}, std::pair{"right", fit.dims.right}})
            std::printf("%-5s side: rocker upper arm %.2f, lower arm %.2f turned %.2f deg outwards from straight down; "
                        "short rod %.2f, long rod %.2f; gudgeon pin %.2f from the outer end; drive pin radius %.2f\n",
                        name, s.upperArm, s.lowerArm, s.lowerAngle * 180.0 / std::numbers::pi, s.shortRod,
                        s.longRod, s.gudgeonOffset, s.driveRadius);
        std::printf("worst piston error: left %.3f px, right %.3f px; worst rod length error %.2g px; "
                    "worst rocker shape error %.2g px\n",
                    fit.worstLeftPistonError, fit.worstRightPistonError, fit.worstRodLengthError,
                    fit.worstRockerShapeError);
        for (int n = 1; n <= kFrameCount; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "/frame%02d.bmp", n);
            const auto file = MakeRle8Bitmap(DrawFrame(fit.dims, n), kFrameWidth, kFrameHeight);
            WriteFile(std::string(argv[1]) + name, file);
            std::printf("frame%02d.bmp: %zu bytes\n", n, file.size());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "framegen: %s\n", e.what());
        return 1;
    }
    return 0;
}
