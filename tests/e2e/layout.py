"""Where the program puts things in its window, for the end-to-end tests:
the five pictures as the worker lays them out, the pop-up menu's item
height, and the colours the tests look for."""

BLUE = (0, 0, 255)  # the background
WHITE = (255, 255, 255)  # a panel beside its picture
ITEM_HEIGHT = 17  # of a pop-up menu's item

# The top-left corner of each picture.
LAYER_0_AT = (20, 180)
LAYER_1_AT = (20, 130)
LAYER_2_AT = (20, 70)
CONNECTION_0_AT = (180, 180)
CONNECTION_1_AT = (180, 70)


def pictures(w1, h1, w2, h2):
    """(left, top, width, height) of each picture, by name, for hidden layers
    of w1 × h1 and w2 × h2: one pixel per neuron or weight."""
    sizes = {"layer 0": (28, 28), "layer 1": (w1, h1), "layer 2": (w2, h2),
             "connection 0": (784, w1 * h1), "connection 1": (w1 * h1, w2 * h2)}
    corners = {"layer 0": LAYER_0_AT, "layer 1": LAYER_1_AT, "layer 2": LAYER_2_AT,
               "connection 0": CONNECTION_0_AT, "connection 1": CONNECTION_1_AT}
    return {name: corners[name] + sizes[name] for name in sizes}


def middle(picture):
    left, top, width, height = picture
    return left + width // 2, top + height // 2
