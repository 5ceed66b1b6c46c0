// The search over the whole report: object names, headers and cell text.
