"use strict";
// The pedestal in a browser: the window's controls, grouped by the window's
// own frames and laid out for the screen (pedestal.css), paint what the
// server says is shown and send a command per button. All rules stay in the
// server.
(() => {
    const layout = PEDESTAL_LAYOUT;
    const token = new URLSearchParams(location.search).get("token");
    const body = document.body;
    const win = document.getElementById("window");
    const banner = document.getElementById("banner");
    const status = document.getElementById("status");
    const views = {};

    document.title = layout.caption;

    // Every picture is fetched once, so that a lever moves without a wait.
    const pictureUrl = (id) => "/res/" + id + ".bmp";
    const preload = layout.bitmaps.map((id) => {
        const image = new Image();
        image.src = pictureUrl(id);
        return image;
    });

    function build(control) {
        let element;
        switch (control.kind) {
        case "button":
            element = document.createElement("button");
            element.type = "button";
            element.textContent = control.caption;
            if (control.command) {
                element.dataset.command = control.command;
                // A click is a touch-up on a tablet: a finger that slides off cancels.
                element.addEventListener("click", () => send(control.command));
            }
            break;
        case "picture":
            element = document.createElement("img");
            element.className = "picture";
            element.alt = "";
            element.draggable = false;
            element.src = pictureUrl(control.bitmap);
            element.dataset.bitmap = control.bitmap;
            break;
        case "frame":
            element = document.createElement("section");
            element.className = "frame";
            break;
        default:
            // Texts stay empty until the first tick; the slider is never shown.
            element = document.createElement("div");
            element.className = control.kind;
            break;
        }
        element.classList.add("control");
        element.dataset.id = control.id;
        element.hidden = !control.visible;
        if (control.disabled && "disabled" in element)
            element.disabled = true;
        if (control.shows) {
            element.dataset.shows = control.shows;
            views[control.shows] = element;
        }
        return element;
    }
    const elements = layout.controls.map(build);

    // Each frame of the window becomes a group: the lever's picture on one
    // side, its texts and buttons stacked beside or below it. Their share of
    // the screen follows the frames' sizes in the window.
    function column(className, indices) {
        const holder = document.createElement("div");
        holder.className = className;
        holder.append(...indices.map((i) => elements[i]));
        return holder;
    }
    for (const group of layout.groups) {
        const frame = elements[group.frame];
        frame.classList.add("group");
        frame.append(column("side", group.side), column("stack", group.stack));
        win.appendChild(frame);
    }
    win.append(...layout.loose.map((i) => elements[i]));
    const tracks = (size, least) =>
        layout.groups.map((g) => "minmax(" + least + ", " + g[size] + "fr)").join(" ");
    win.style.setProperty("--rows", tracks("h", "min-content"));
    win.style.setProperty("--columns", tracks("w", "0"));

    // --- Showing the state ---------------------------------------------------
    function apply(state) {
        for (const [key, value] of Object.entries(state)) {
            const view = views[key];
            if (!view)
                continue;
            if (view.tagName === "IMG") {
                view.src = pictureUrl(value);
                view.dataset.bitmap = value;
            } else {
                view.textContent = value;
            }
        }
        if (state.notice)
            tell(state.notice);
    }

    let statusTimer = 0;
    function tell(text) {
        status.textContent = text;
        status.classList.add("shown");
        clearTimeout(statusTimer);
        statusTimer = setTimeout(() => status.classList.remove("shown"), 4000);
    }

    // --- The connection --------------------------------------------------------
    let socket = null;
    let everConnected = false;
    let retryDelay = 500;
    let heartbeatMs = 5000;
    let watchdog = 0;
    let nextId = 1;

    function offline(text) {
        body.classList.add("offline");
        banner.textContent = text;
    }

    function online() {
        everConnected = true;
        retryDelay = 500;
        body.classList.remove("offline");
    }

    // Silence longer than three heartbeats means the server is gone, even
    // when the network did not say so.
    function feedWatchdog() {
        clearTimeout(watchdog);
        watchdog = setTimeout(() => lost(), 3 * heartbeatMs + 1000);
    }

    function lost() {
        clearTimeout(watchdog);
        if (socket) {
            socket.onclose = socket.onmessage = socket.onerror = null;
            socket.close();
            socket = null;
        }
        const seconds = Math.round(retryDelay / 100) / 10;
        offline((everConnected ? "Disconnected from the pedestal" : "Cannot reach the pedestal") +
                ": retrying in " + seconds + " s");
        setTimeout(connect, retryDelay * (0.9 + Math.random() * 0.2));
        retryDelay = Math.min(retryDelay * 2, 8000);
    }

    function connect() {
        const scheme = location.protocol === "https:" ? "wss://" : "ws://";
        const query = token ? "?token=" + encodeURIComponent(token) : "";
        socket = new WebSocket(scheme + location.host + "/ws" + query);
        socket.onmessage = (event) => {
            feedWatchdog();
            let message;
            try {
                message = JSON.parse(event.data);
            } catch {
                return;
            }
            if (message.type === "hello") {
                heartbeatMs = message.heartbeatMs || heartbeatMs;
            } else if (message.type === "state") {
                apply(message);
                if (message.full)
                    online();
            } else if ("ok" in message && !message.ok) {
                tell(message.message || message.error);
            }
        };
        socket.onclose = lost;
        socket.onerror = () => {};
        feedWatchdog();
    }

    function send(command) {
        if (!socket || socket.readyState !== WebSocket.OPEN) {
            tell("Not connected: the click was not sent");
            return;
        }
        socket.send(JSON.stringify({id: nextId++, command: command}));
    }

    connect();
})();
