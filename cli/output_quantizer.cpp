// Grid conversion of the rendered samples.
#include "cli/output_quantizer.h"

#include <cmath>

namespace zarpacli {

OutputQuantizer::OutputQuantizer(Encoding encoding)
    : encoding_(encoding), scale_(integerBits(encoding) ? std::ldexp(1.0, integerBits(encoding) - 1) : 0.0) {}

double OutputQuantizer::apply(double v) {
    if (std::isnan(v)) {
        ++clipped_;
        return 0.0;
    }
    if (scale_ > 0.0) {
        const double x = v * scale_;
        double k = std::nearbyint(x);
        if (k > scale_ - 1 || k < -scale_) {
            ++clipped_;
            k = k > 0 ? scale_ - 1 : -scale_;
        } else if (k != x) {
            ++rounded_;
        }
        return k / scale_;
    }
    if (encoding_ == Encoding::Float32) {
        const float f = static_cast<float>(v);
        if (std::isinf(f) && !std::isinf(v)) ++clipped_;
        else if (static_cast<double>(f) != v) ++rounded_;
        return f;
    }
    return v;
}

}  // namespace zarpacli
