# help2man sets a --help's "Examples:" as one filled paragraph, which runs the commands
# together: set them as they stand, one a line.
/^\.SH EXAMPLES$/,/^\.SH /{
  s/^\.IP$/.nf/
  s/^\(\.SH [^E].*\)/.fi\n\1/
}
