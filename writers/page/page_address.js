// The view in the address: the fragment names the object and its table's
// view, so that a link opens the same view and the back button returns.
