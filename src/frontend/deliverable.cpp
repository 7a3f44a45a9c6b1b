#include "frontend/deliverable.h"

#if !defined(VOKA_PORT_BASE) || !defined(VOKA_PORT_NUMBER)
#error "each deliverable is built with its VOKA_PORT_BASE and VOKA_PORT_NUMBER"
#endif

namespace voka {

const std::uint16_t deliverable_port_base = VOKA_PORT_BASE;
const int deliverable_port_number = VOKA_PORT_NUMBER;

}  // namespace voka
