while ((a)) { for (;;) { else x.src = "q"; } }
"unclosed \