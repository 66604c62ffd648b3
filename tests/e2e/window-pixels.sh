# Reading a window's pixels from the X server, for the end-to-end scripts that
# source this: they set $window (the window's id) and $work (a scratch
# folder) and define fail MESSAGE.

pixel() { # colour at window coordinates, as rrggbb
    import -window "$window" "$work/shot.png" &&
        convert "$work/shot.png" -crop "1x1+$1+$2" -depth 8 -colorspace sRGB txt:- |
        awk 'NR==2 { print tolower(substr($3, 2, 6)) }'
}

await_pixel() { # X Y RRGGBB WHAT: waits up to ten seconds for that colour there
    for _ in $(seq 100); do
        [[ "$(pixel "$1" "$2")" == "$3" ]] && return 0
        sleep 0.1
    done
    fail "$4: $(pixel "$1" "$2") at ($1, $2), not $3"
}
