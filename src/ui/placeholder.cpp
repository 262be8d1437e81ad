// The widget layer lands here.
