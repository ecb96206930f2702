#include "fakes/test_services.h"

namespace fakes {

bool RecordingTrace::Contains(std::string_view part) const {
  for (const std::string& t : texts) {
    if (t.find(part) != std::string::npos) return true;
  }
  return false;
}

}  // namespace fakes
