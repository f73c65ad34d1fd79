#include "qel/afp/AfpSelfIdentifyingParameter.h"

namespace qel
{
namespace afp
{

SelfIdentifyingParameter::~SelfIdentifyingParameter() = default;

} // namespace afp
} // namespace qel
