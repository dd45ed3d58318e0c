#include "platform/headless/HeadlessHttpTransport.h"

std::string THeadlessHttpTransport::Get(const THttpRequest& request) {
  FRequests.push_back(request);
  if (FAnswers.empty()) throw EHttpError("No network connection");
  const TAnswer answer = FAnswers.front();
  FAnswers.pop_front();
  if (answer.Failed) throw EHttpError(answer.Text);
  return answer.Text;
}
