#include "windows/frame_request.hpp"

std::atomic<uint32_t> frameRequestPending { 0 };
