"""What the end-to-end tests look for in a screenshot of the window: label fills and text pixels, found
through the window description (see xsession.Layout)."""

from xsession import rgb

EXIT_LABEL = "Label17"
# The value labels and the field of a reference row each one shows.
VALUE_FIELDS = {"Label50": "boysWeight", "Label60": "girlsWeight", "Label70": "boysHeight", "Label80": "girlsHeight"}
# Text needs at least this many pixels of its colour to count as shown.
MIN_TEXT_PIXELS = 20


def on_screen(rect, origin):
    rect.x += origin.x
    rect.y += origin.y
    return rect


def text_pixels(shot, layout, name, origin):
    """The points of a label drawn in its text colour (near enough, for antialiased edges), less any that
    a picture box above it covers. origin: the client area's top-left corner on the screen."""
    colour = rgb(layout.control(name)["foreColour"])
    boxes = [on_screen(box, origin) for box in layout.picture_boxes()]

    def near(pixel):
        return all(abs(a - e) <= 60 for a, e in zip(pixel, colour))

    return shot.matching(on_screen(layout.rect(name), origin), near, skip=boxes)


def fill_colour(shot, layout, name, origin):
    """The colour of an opaque label's bottom corners and bottom middle, where its caption never reaches
    (captions start at the top edge); None unless all three agree."""
    rect = on_screen(layout.rect(name), origin)
    y = rect.y + rect.height - 2
    colours = {shot.pixel(rect.x + 1, y), shot.pixel(rect.x + rect.width // 2, y),
               shot.pixel(rect.x + rect.width - 2, y)}
    return colours.pop() if len(colours) == 1 else None


def screen_point(layout, name, origin):
    """The centre of a control on the screen."""
    return on_screen(layout.rect(name), origin).center()
