// The sidebar's tree of folders and objects.
