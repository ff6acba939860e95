#include <new>

#include "toolkit/application.h"
#include "toolkit/failure.h"

namespace qm {

namespace {

void reportAndEnd(Application& app, int number, const std::string& description) {
  app.markEndingOnFailure();
  app.messageBox("Error " + std::to_string(number) + ": " + description, kMessageExclamationOk,
                 app.title());
  app.end();
}
}  // namespace

void dispatchEvent(Application& app, const std::function<void()>& handler) {
  if (app.endingOnFailure() || !handler) return;
  try {
    handler();
  } catch (const Failure& failure) {
    reportAndEnd(app, failure.number(), failure.description());
  } catch (const std::bad_alloc&) {
    reportAndEnd(app, static_cast<int>(ErrorCode::kOutOfMemory), describe(ErrorCode::kOutOfMemory));
  } catch (const std::exception& other) {
    reportAndEnd(app, static_cast<int>(ErrorCode::kPlatformError), other.what());
  } catch (const ProgramEnded&) {
    throw;
  } catch (...) {
    reportAndEnd(app, static_cast<int>(ErrorCode::kPlatformError),
                 describe(ErrorCode::kPlatformError));
  }
}

}  // namespace qm
