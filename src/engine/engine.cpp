#include "engine/engine.h"

#include "engine/sparse_links.h"
#include "engine/sparse_removal.h"

namespace verdalis {

// Each result says the form of the code that measured it, so that a caller
// can check that a request took the way it meant.
template <class T>
removalResult<T> measureNodeRemovals(const engineRequest<T>& request) {
  if (request.form == landscapeForm::sparse) {
    removalResult<T> result = measureNodeRemovalsSparse(request);
    result.form = landscapeForm::sparse;
    return result;
  }
  removalResult<T> result = measureNodeRemovalsDense(request);
  result.form = landscapeForm::dense;
  return result;
}

template <class T>
linkResult<T> measureLinkChanges(const engineRequest<T>& request, linkChange kind,
                                 const std::vector<pairChange>& pairs) {
  if (request.form == landscapeForm::sparse) {
    linkResult<T> result = measureLinkChangesSparse(request, pairs);
    result.form = landscapeForm::sparse;
    return result;
  }
  linkResult<T> result = measureLinkChangesDense(request, kind, pairs);
  result.form = landscapeForm::dense;
  return result;
}

template removalResult<float> measureNodeRemovals(const engineRequest<float>&);
template removalResult<double> measureNodeRemovals(const engineRequest<double>&);
template linkResult<float> measureLinkChanges(const engineRequest<float>&, linkChange,
                                              const std::vector<pairChange>&);
template linkResult<double> measureLinkChanges(const engineRequest<double>&, linkChange,
                                               const std::vector<pairChange>&);

}  // namespace verdalis
